// Parameter values from the command line ("name=value"), checked against
// the descriptors before anything is written: the modules trust their slots.
#pragma once

#include <string>
#include <vector>

#include "host/vxhost/plugin.h"

namespace vxhost {

struct ParameterValue {
  const ParameterInfo* parameter;
  int32_t value;
};

// Parses one value of a parameter: an option index or a number in range; a
// direction also takes upright, downright, downleft and upleft.
Status parseParameterValue(const ParameterInfo& parameter, const std::string& text, int32_t& value);
// Parses every "name=value" setting for the plug-in.
Status parseSettings(const Plugin& plugin, const std::vector<std::string>& settings,
                     std::vector<ParameterValue>& values);
// Resets every slot to its default and writes the values.
void applyParameters(const Plugin& plugin, const std::vector<ParameterValue>& values);

// What a parameter accepts, for messages and listings: "0..3 (upright...)".
std::string allowedValues(const ParameterInfo& parameter);

}  // namespace vxhost
