// The work behind render, demo and bench: clips opened and checked, plans
// made, output written and put in place.
#pragma once

#include "host/vxhost/commands.h"
#include "host/vxhost/options.h"
#include "host/vxhost/render.h"

namespace vxhost {

struct RenderJob {
  const Plugin* plugin = nullptr;
  std::string from, to, output;   // to is empty for an effect
  RenderRequest request;
  ClipSettings clip;
  bool sizeGiven = false;   // otherwise built-in clips take a file clip's size
  bool rateGiven = false;   // and rate
  const ChromaLayout* chroma = nullptr;   // output chroma; null: the --from clip's
};

Status renderJob(const RenderJob& job, const ProgressFunction& progress);
Status runDemo(const Options& options, Console& console);
Status runBench(const Options& options, Console& console);

}  // namespace vxhost
