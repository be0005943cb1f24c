#include "host/vxhost/describe.h"

#include <stdio.h>

#include "host/vxhost/params.h"

namespace vxhost {

namespace {

std::string hex(uintptr_t value) {
  char text[24];
  snprintf(text, sizeof text, "0x%llX", (unsigned long long)value);
  return text;
}

// Tags whose values are addresses in the module; the rest are numbers.
bool holdsAddress(uint32_t tag) {
  unsigned n = tag & 0xFF;
  return (tag & 0xFFFFFF00u) == OpTagBase && (n == 3 || n == 16 || (n >= 4 && n <= 12));
}

const char* descriptorName(const ParameterInfo& p) {
  if (!p.isOptions()) return "range";
  return p.style == OptionsAreDirections ? "options (direction codes)" : "options (texts)";
}

std::string list(const std::vector<uint32_t>& values, bool inHex) {
  std::string text;
  for (uint32_t v : values) text += (text.empty() ? "" : " ") + (inHex ? hex(v) : std::to_string(v));
  return text;
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') out += '\\', out += (char)c;
    else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else out += (char)c;
  }
  return out + "\"";
}

void describeBriefly(const Plugin& plugin, std::ostream& out) {
  out << plugin.name() << "  " << kindName(plugin.kind()) << "  ";
  std::string params;
  for (const ParameterInfo& p : plugin.parameters())
    params += (params.empty() ? "" : ", ") + p.name + " " + allowedValues(p) + " (default " +
              std::to_string(p.defaultValue) + ")";
  out << (params.empty() ? "no parameters" : params) << "\n";
}

void describeText(const Plugin& plugin, std::ostream& out) {
  out << plugin.name() << ": " << kindName(plugin.kind()) << " (" << plugin.path() << ")\n";
  out << "  version: " << plugin.version() << "\n";
  out << "  tags:";
  for (const TagValue& t : plugin.tags())
    out << " " << tagName(t.tag) << "=" << (holdsAddress(t.tag) ? hex(t.value) : std::to_string(t.value));
  out << "\n  parameters:\n";
  for (const ParameterInfo& p : plugin.parameters()) {
    out << "    " << p.name << " (OPE" << p.tagNumber << "): " << descriptorName(p) << ", label "
        << hex(p.label);
    if (p.isOptions()) out << ", options " << list(p.options, p.style != OptionsAreDirections);
    else out << ", second text " << hex(p.secondText) << ", range " << p.minimum << ".." << p.maximum;
    out << ", default " << p.defaultValue << "; --set " << p.name << "=" << allowedValues(p) << "\n";
  }
}

void describeJson(const Plugin& plugin, std::ostream& out) {
  out << "{\"name\":" << jsonString(plugin.name()) << ",\"path\":" << jsonString(plugin.path())
      << ",\"kind\":\"" << kindName(plugin.kind()) << "\",\"version\":" << jsonString(plugin.version())
      << ",\"tags\":[";
  bool first = true;
  for (const TagValue& t : plugin.tags()) {
    out << (first ? "" : ",") << "{\"tag\":" << jsonString(tagName(t.tag)) << ",\"value\":" << t.value
        << ",\"address\":" << (holdsAddress(t.tag) ? "true" : "false") << "}";
    first = false;
  }
  out << "],\"parameters\":[";
  first = true;
  for (const ParameterInfo& p : plugin.parameters()) {
    out << (first ? "" : ",") << "{\"name\":" << jsonString(p.name) << ",\"tag\":\"OPE" << p.tagNumber
        << "\",\"descriptorKind\":" << p.descriptorKind << ",\"label\":" << p.label;
    if (p.isOptions()) {
      out << ",\"style\":" << p.style << ",\"options\":[";
      for (size_t i = 0; i < p.options.size(); ++i) out << (i ? "," : "") << p.options[i];
      out << "]";
    } else {
      out << ",\"secondText\":" << p.secondText << ",\"minimum\":" << p.minimum
          << ",\"maximum\":" << p.maximum;
    }
    out << ",\"default\":" << p.defaultValue << "}";
    first = false;
  }
  out << "]}\n";
}

}  // namespace vxhost
