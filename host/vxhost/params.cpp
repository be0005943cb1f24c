#include "host/vxhost/params.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>

namespace vxhost {

namespace {

// Option positions of the direction codes 2, 4, 6 and 8.
const char* const DirectionWords[] = {"upright", "downright", "downleft", "upleft"};

bool parseInteger(const std::string& text, int32_t& value) {
  if (text.empty() || text.size() > 11) return false;
  char* end = nullptr;
  errno = 0;
  long v = strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  value = (int32_t)v;
  return true;
}

bool isDirection(const ParameterInfo& p) { return p.isOptions() && p.style == OptionsAreDirections; }

}  // namespace

std::string allowedValues(const ParameterInfo& p) {
  if (!p.isOptions()) return std::to_string(p.minimum) + ".." + std::to_string(p.maximum);
  if (p.options.empty()) return "nothing (the option list is empty)";
  std::string text = "0.." + std::to_string(p.options.size() - 1);
  if (isDirection(p)) {
    text += " or";
    for (size_t i = 0; i < p.options.size() && i < 4; ++i) text += std::string(" ") + DirectionWords[i];
  }
  return text;
}

Status parseParameterValue(const ParameterInfo& p, const std::string& text, int32_t& value) {
  if (isDirection(p)) {
    for (int32_t i = 0; i < 4; ++i)
      if (text == DirectionWords[i] && (size_t)i < p.options.size()) {
        value = i;
        return Status();
      }
  }
  int32_t v;
  bool inRange = parseInteger(text, v) &&
                 (p.isOptions() ? v >= 0 && (size_t)v < p.options.size()
                                : v >= p.minimum && v <= p.maximum);
  if (!inRange)
    return Status::usage(p.name + "=" + text + " is not allowed; " + p.name + " takes " +
                         allowedValues(p));
  value = v;
  return Status();
}

Status parseSettings(const Plugin& plugin, const std::vector<std::string>& settings,
                     std::vector<ParameterValue>& values) {
  values.clear();
  for (const std::string& setting : settings) {
    size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0)
      return Status::usage("--set takes name=value, not '" + setting + "'");
    std::string name = setting.substr(0, equals);
    const ParameterInfo* p = plugin.findParameter(name);
    if (!p) {
      std::string known;
      for (const ParameterInfo& q : plugin.parameters()) known += (known.empty() ? "" : ", ") + q.name;
      return Status::usage(plugin.name() + " has no parameter '" + name + "'; its parameters are " +
                           (known.empty() ? "none" : known));
    }
    int32_t value;
    VX_TRY(parseParameterValue(*p, setting.substr(equals + 1), value));
    values.push_back({p, value});
  }
  return Status();
}

void applyParameters(const Plugin& plugin, const std::vector<ParameterValue>& values) {
  plugin.resetParameters();
  for (const ParameterValue& v : values) *v.parameter->slot = v.value;
}

}  // namespace vxhost
