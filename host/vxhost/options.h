// Command-line options of every vxhost command, parsed into one record.
#pragma once

#include <string>
#include <vector>

#include "host/vxhost/clips.h"
#include "host/vxhost/plugin.h"
#include "host/vxhost/render.h"

namespace vxhost {

struct Options {
  std::string command;
  std::vector<std::string> positional;
  PluginPath pluginPath = defaultPluginPath();
  bool quiet = false;
  bool help = false;
  std::string ffmpeg = "ffmpeg";
  ClipSettings clip;
  bool sizeGiven = false, rateGiven = false;
  // info
  bool json = false;
  // render
  std::string from, to, output;
  std::vector<std::string> settings;
  RenderRequest request;
  std::string chroma;
  // bench
  long fields = 10;
  long runs = 5;
  std::string quality;
};

// Parses the arguments after the command name; unknown options and options
// the command does not take are usage errors.
Status parseOptions(const std::string& command, const std::vector<std::string>& arguments,
                    Options& options);

// The usage text of one command, or of all of them.
std::string usageText(const std::string& command);

}  // namespace vxhost
