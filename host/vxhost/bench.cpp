// vxhost bench: the plug-ins' speed on one field of built-in clips, rendered
// over and over as the consecutive fields of an effect.
#include <stdio.h>
#include <sys/resource.h>
#include <algorithm>
#include <chrono>

#include "host/vxhost/services.h"
#include "host/vxhost/tasks.h"

namespace vxhost {

namespace {

struct Timing {
  double medianMs, minMs, maxMs;   // per field
};

Status benchInputs(const ClipSettings& clips, Picture fields[2]) {
  const char* sources[2] = {"builtin:zoneplate", "builtin:checker"};
  for (int s = 0; s < 2; ++s) {
    Picture frame;
    frame.resize(clips.width, clips.height);
    VX_TRY(drawBuiltin(sources[s], 0, frame));
    extractField(frame, FieldParity::Upper, fields[s]);
  }
  return checkFieldSize(fields[0].width, fields[0].height);
}

Status setQuality(const Plugin& plugin, const std::string& quality) {
  std::vector<ParameterValue> values;
  if (!quality.empty() && plugin.findParameter("quality"))
    VX_TRY(parseSettings(plugin, {"quality=" + quality}, values));
  applyParameters(plugin, values);
  return Status();
}

Status timeRuns(const Plugin& plugin, const Picture fields[2], const Options& o, Timing& timing) {
  FieldHost host;
  const Picture* inputs[2] = {&fields[0], &fields[1]};
  bool lines525 = fields[0].height >= 240 && fields[0].height <= 243;
  OpRequest request{};
  request.code = OpRender;
  request.count = (uint32_t)o.fields;
  Picture out;
  std::vector<double> perField;
  for (long run = 0; run <= o.runs; ++run) {   // run 0 warms up
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < o.fields; ++i) {
      request.index = (uint32_t)i;
      request.flags = (o.request.fast ? OpFlagFast : 0u) | (lines525 ? OpFlag525 : 0u) |
                      (i % 2 == 0 ? OpFlagParity : 0u);
      VX_TRY(host.renderField(plugin, request, inputs, out));
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (run > 0) perField.push_back(ms / o.fields);
  }
  std::sort(perField.begin(), perField.end());
  timing = {perField[perField.size() / 2], perField.front(), perField.back()};
  return Status();
}

long peakMemoryKb() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

Status runBench(const Options& o, Console& console) {
  std::vector<std::string> files;
  if (o.positional.empty()) files = scanPlugins(o.pluginPath);
  for (const std::string& name : o.positional) {
    std::string file;
    VX_TRY(findPlugin(o.pluginPath, name, file));
    files.push_back(file);
  }
  if (files.empty()) return Status::failure("no plug-ins found; build them first or give --plugin-path");
  Picture fields[2];
  VX_TRY(benchInputs(o.clip, fields));

  char line[200];
  snprintf(line, sizeof line, "fields of %dx%d, %ld fields a run, median of %ld runs%s%s%s\n",
           fields[0].width, fields[0].height, o.fields, o.runs, o.request.fast ? ", fast" : "",
           o.quality.empty() ? "" : ", quality ", o.quality.c_str());
  console.out << line;
  console.out << "plug-in          kind        fields/s   ms/field  (min..max)        peak RSS\n";
  for (const std::string& file : files) {
    std::shared_ptr<Plugin> plugin;
    VX_TRY(Plugin::load(file, plugin));
    VX_TRY(setQuality(*plugin, o.quality));
    Timing t{};
    VX_TRY(timeRuns(*plugin, fields, o, t));
    snprintf(line, sizeof line, "%-16s %-10s %9.1f %10.2f  (%.2f..%.2f) %8ld MB\n", plugin->name().c_str(),
             kindName(plugin->kind()), 1000.0 / t.medianMs, t.medianMs, t.minMs, t.maxMs,
             (peakMemoryKb() + 512) / 1024);
    console.out << line;
    console.out.flush();
  }
  return Status();
}

}  // namespace vxhost
