#include "host/vxhost/options.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>

namespace vxhost {

namespace {

struct OptionRule {
  const char* name;
  bool takesValue;
  const char* commands;   // the commands that take it, space-separated
};

const OptionRule Rules[] = {
    {"--plugin-path", true, "list info render demo bench"},
    {"--json", false, "info"},
    {"--from", true, "render"},
    {"--to", true, "render"},
    {"-o", true, "render demo"},
    {"--set", true, "render"},
    {"--layout", true, "render"},
    {"--parity", true, "render"},
    {"--frames", true, "render"},
    {"--count", true, "render"},
    {"--index", true, "render"},
    {"--lines", true, "render"},
    {"--fast", false, "render bench"},
    {"--size", true, "render demo bench"},
    {"--rate", true, "render demo"},
    {"--chroma", true, "render"},
    {"--quiet", false, "render demo bench"},
    {"--ffmpeg", true, "render demo"},
    {"--fields", true, "bench"},
    {"--runs", true, "bench"},
    {"--quality", true, "bench"},
    {"--help", false, "list info render demo bench"},
};

const OptionRule* findRule(const std::string& name) {
  for (const OptionRule& rule : Rules)
    if (name == rule.name) return &rule;
  return nullptr;
}

bool takes(const OptionRule& rule, const std::string& command) {
  std::string list = std::string(" ") + rule.commands + " ";
  return list.find(" " + command + " ") != std::string::npos;
}

Status parseCount(const std::string& option, const std::string& text, long low, long& value) {
  char* end = nullptr;
  errno = 0;
  long long v = strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < low || v > 0x7FFFFFFFLL)
    return Status::usage(option + " takes a whole number from " + std::to_string(low) + ", not '" +
                         text + "'");
  value = (long)v;
  return Status();
}

Status apply(const std::string& name, const std::string& v, Options& o) {
  RenderRequest& r = o.request;
  if (name == "--plugin-path") {
    if (o.pluginPath.folders == defaultPluginPath().folders) o.pluginPath.folders.clear();
    size_t start = 0;
    while (start <= v.size()) {   // DIR or DIR:DIR...
      size_t end = std::min(v.find(':', start), v.size());
      if (end > start) o.pluginPath.folders.push_back(v.substr(start, end - start));
      start = end + 1;
    }
  } else if (name == "--json") o.json = true;
  else if (name == "--from") o.from = v;
  else if (name == "--to") o.to = v;
  else if (name == "-o") o.output = v;
  else if (name == "--set") o.settings.push_back(v);
  else if (name == "--layout") return parseLayout(v, r.layout);
  else if (name == "--parity") {
    if (v == "upper") r.parity = FieldParity::Upper;
    else if (v == "lower") r.parity = FieldParity::Lower;
    else return Status::usage("--parity takes upper or lower, not '" + v + "'");
  } else if (name == "--frames") return parseCount(name, v, 1, r.frames);
  else if (name == "--count") return parseCount(name, v, 1, r.count);
  else if (name == "--index") return parseCount(name, v, 0, r.index);
  else if (name == "--lines") {
    if (v != "525" && v != "625") return Status::usage("--lines takes 525 or 625, not '" + v + "'");
    r.lines = atoi(v.c_str());
  } else if (name == "--fast") r.fast = true;
  else if (name == "--size") {
    o.sizeGiven = true;
    return parseSize(v, o.clip.width, o.clip.height);
  } else if (name == "--rate") {
    o.rateGiven = true;
    return parseRate(v, o.clip.rate);
  } else if (name == "--chroma") {
    if (!findChroma(v)) return Status::usage("--chroma takes one of " + supportedChromaTags() + ", not '" + v + "'");
    o.chroma = v;
  } else if (name == "--quiet") o.quiet = true;
  else if (name == "--ffmpeg") o.ffmpeg = o.clip.ffmpeg = v;
  else if (name == "--fields") return parseCount(name, v, 1, o.fields);
  else if (name == "--runs") return parseCount(name, v, 1, o.runs);
  else if (name == "--quality") o.quality = v;
  else if (name == "--help") o.help = true;
  return Status();
}

}  // namespace

Status parseOptions(const std::string& command, const std::vector<std::string>& arguments,
                    Options& options) {
  options.command = command;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument[0] != '-') {
      options.positional.push_back(argument);
      continue;
    }
    std::string name = argument, value;
    size_t equals = argument.find('=');
    bool inlineValue = argument.compare(0, 2, "--") == 0 && equals != std::string::npos;
    if (inlineValue) {   // --size=64x48
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    const OptionRule* rule = findRule(name);
    if (!rule) return Status::usage("unknown option " + name + " (see vxhost " + command + " --help)");
    if (!takes(*rule, command)) return Status::usage("vxhost " + command + " does not take " + name);
    if (rule->takesValue && !inlineValue) {
      if (i + 1 >= arguments.size()) return Status::usage(name + " needs a value");
      value = arguments[++i];
    } else if (!rule->takesValue && inlineValue) {
      return Status::usage(name + " takes no value");
    }
    VX_TRY(apply(name, value, options));
  }
  if ((options.request.count >= 0) != (options.request.index >= 0))
    return Status::usage("--count and --index go together: the effect's length and the field to render");
  return Status();
}

std::string usageText(const std::string& command) {
  static const char* const Texts[][2] = {
      {"list", "vxhost list [--plugin-path DIR[:DIR...]]\n"
               "  The plug-ins found, with their kind and parameters.\n"},
      {"info", "vxhost info PLUGIN [--json]\n"
               "  The operator description of a plug-in: kind, version, tags, parameters.\n"},
      {"render",
       "vxhost render PLUGIN --from CLIP [--to CLIP] -o OUT [options]\n"
       "  Renders an effect (on --from) or a transition (from --from to --to).\n"
       "  CLIP is a file (.y4m read directly, other formats through ffmpeg) or\n"
       "  builtin:bars, builtin:zoneplate, builtin:gradient, builtin:checker,\n"
       "  builtin:color=Y,Cb,Cr.\n"
       "  --set NAME=VALUE        a parameter (see vxhost info PLUGIN)\n"
       "  --layout L              interlaced, progressive, fields or auto (default)\n"
       "  --parity upper|lower    field parity for --layout fields\n"
       "  --frames N              the effect's length (default: the shorter clip)\n"
       "  --count N --index I     render only field (or frame) I of an N-long effect\n"
       "  --lines 525|625         line standard (default: by the field's rows)\n"
       "  --fast                  the plug-ins' fast render\n"
       "  --size WxH --rate R     built-in clips (default 720x576 at 25)\n"
       "  --chroma TAG            output chroma: 420jpeg 420mpeg2 420paldv 420 422 444 mono\n"
       "  --quiet                 no progress bar\n"},
      {"demo", "vxhost demo [-o DIR] [--size WxH] [--rate R] [--quiet]\n"
               "  A reel of every plug-in, one second each, over built-in clips:\n"
               "  DIR/demo.y4m, and with ffmpeg DIR/demo.mp4 and DIR/demo-sheet.png.\n"},
      {"bench", "vxhost bench [PLUGIN...] [--size WxH] [--fields N] [--runs N] [--quality Q] [--fast]\n"
                "  Fields per second and milliseconds per field, median of several runs.\n"},
  };
  std::string text;
  for (const auto& entry : Texts)
    if (command.empty() || command == entry[0]) text += entry[1];
  if (command.empty())
    text = "usage: vxhost COMMAND [options]   (vxhost COMMAND --help for one command)\n" + text +
           "Every command takes --plugin-path DIR[:DIR...] (default: the build's plug-in folder);\n"
           "render and demo take --ffmpeg PROGRAM for formats other than .y4m.\n";
  return text;
}

}  // namespace vxhost
