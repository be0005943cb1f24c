// Plug-in descriptions as text for people and as JSON for programs.
#pragma once

#include <ostream>

#include "host/vxhost/plugin.h"

namespace vxhost {

// One line: name, kind and parameters.
void describeBriefly(const Plugin& plugin, std::ostream& out);
void describeText(const Plugin& plugin, std::ostream& out);
void describeJson(const Plugin& plugin, std::ostream& out);
std::string jsonString(const std::string& text);

}  // namespace vxhost
