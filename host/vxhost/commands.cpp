#include "host/vxhost/commands.h"

#include "host/vxhost/describe.h"
#include "host/vxhost/options.h"
#include "host/vxhost/progress.h"
#include "host/vxhost/tasks.h"

namespace vxhost {

namespace {

Status loadNamed(const Options& o, const std::string& name, std::shared_ptr<Plugin>& plugin) {
  std::string file;
  VX_TRY(findPlugin(o.pluginPath, name, file));
  return Plugin::load(file, plugin);
}

Status onePositional(const Options& o, const std::string& what) {
  if (o.positional.size() == 1) return Status();
  return Status::usage(o.positional.empty() ? "vxhost " + o.command + " needs a " + what
                                            : "vxhost " + o.command + " takes one " + what + ", not '" +
                                                  o.positional[1] + "' as well");
}

Status runList(const Options& o, Console& console) {
  if (!o.positional.empty()) return Status::usage("vxhost list takes no " + o.positional[0]);
  std::vector<std::string> files = scanPlugins(o.pluginPath);
  if (files.empty()) {
    std::string folders;
    for (const std::string& f : o.pluginPath.folders) folders += (folders.empty() ? "" : ":") + f;
    console.out << "no plug-ins in " << folders << "\n";
    return Status();
  }
  for (const std::string& file : files) {
    std::shared_ptr<Plugin> plugin;
    Status status = Plugin::load(file, plugin);
    if (status.ok()) describeBriefly(*plugin, console.out);
    else console.err << "vxhost: skipping " << status.message() << "\n";
  }
  return Status();
}

Status runInfo(const Options& o, Console& console) {
  VX_TRY(onePositional(o, "plug-in name"));
  std::shared_ptr<Plugin> plugin;
  VX_TRY(loadNamed(o, o.positional[0], plugin));
  if (o.json) describeJson(*plugin, console.out);
  else describeText(*plugin, console.out);
  return Status();
}

Status runRender(const Options& o, Console& console) {
  VX_TRY(onePositional(o, "plug-in name"));
  if (o.from.empty()) return Status::usage("vxhost render needs --from CLIP");
  if (o.output.empty()) return Status::usage("vxhost render needs -o OUTPUT");
  std::shared_ptr<Plugin> plugin;
  VX_TRY(loadNamed(o, o.positional[0], plugin));
  RenderJob job;
  job.plugin = plugin.get();
  job.from = o.from;
  job.to = o.to;
  job.output = o.output;
  job.request = o.request;
  VX_TRY(parseSettings(*plugin, o.settings, job.request.parameters));
  job.clip = o.clip;
  job.sizeGiven = o.sizeGiven;
  job.rateGiven = o.rateGiven;
  job.chroma = o.chroma.empty() ? nullptr : findChroma(o.chroma);
  ProgressBar bar(console.err, console.errIsTerminal && !o.quiet, plugin->name());
  long pictures = 0;
  VX_TRY(renderJob(job, [&](long done, long total) {
    bar.update(done, total);
    pictures = done;
  }));
  bar.finish();
  if (!o.quiet)
    console.out << "wrote " << o.output << ": " << pictures << (pictures == 1 ? " picture\n" : " pictures\n");
  return Status();
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, Console& console) {
  if (arguments.empty()) {
    console.err << "vxhost: no command given; commands: list, info, render, demo, bench (see vxhost help)\n";
    return ExitUsage;
  }
  std::string command = arguments[0];
  if (command == "help" || command == "--help" || command == "-h") {
    std::string topic = arguments.size() > 1 ? arguments[1] : "";
    std::string text = usageText(topic);
    console.out << (text.empty() ? usageText("") : text);
    return ExitOk;
  }
  static const char* const Commands[] = {"list", "info", "render", "demo", "bench"};
  bool known = false;
  for (const char* c : Commands) known = known || command == c;
  Status status;
  Options options;
  if (!known) {
    status = Status::usage("unknown command '" + command + "'; commands: list, info, render, demo, bench, help");
  } else {
    status = parseOptions(command, std::vector<std::string>(arguments.begin() + 1, arguments.end()), options);
  }
  if (status.ok() && options.help) {
    console.out << usageText(command);
    return ExitOk;
  }
  if (status.ok()) {
    if (command == "list") status = runList(options, console);
    else if (command == "info") status = runInfo(options, console);
    else if (command == "render") status = runRender(options, console);
    else if (command == "demo") status = runDemo(options, console);
    else if (command == "bench") status = runBench(options, console);
  }
  if (!status.ok()) {
    std::string message = status.message();
    for (char& c : message)
      if (c == '\n' || c == '\r') c = ' ';
    console.err << "vxhost: " << message << "\n";
  }
  return status.code();
}

}  // namespace vxhost
