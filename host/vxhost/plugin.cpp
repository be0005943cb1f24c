#include "host/vxhost/plugin.h"

#include <dirent.h>
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <algorithm>
#include <map>

#ifndef VX_PLUGIN_DIR
#define VX_PLUGIN_DIR "plugins"
#endif

namespace vxhost {

namespace {

// A damaged description must not send the reader through all of memory.
constexpr int MaxTags = 64;
constexpr int MaxOptions = 64;
constexpr size_t MaxVersionLength = 256;
constexpr unsigned FirstParameterTag = 4, LastParameterTag = 12;

typedef const OpTag* (*GetInfoFunction)();

// The parameters of each plug-in, by descriptor label: a module's labels are
// consecutive text numbers in tag order, and no two modules share one.
struct LabelNames {
  unsigned firstLabel;
  const char* names[4];
};
const LabelNames ParameterLabels[] = {
    {0x6D, {"direction", "spin", "quality"}},   // tx_saucer
    {0x13, {"direction", "spin", "quality"}},   // tx_cube
    {0x75, {"direction", "spin", "quality"}},   // tx_sphere
    {0x3D, {"direction", "spin", "quality"}},   // tx_ellipsoid
    {0x0B, {"direction", "spin", "quality"}},   // tx_cone
    {0x23, {"direction", "spin", "quality"}},   // tx_diamond
    {0x1B, {"direction", "spin", "quality"}},   // tx_cylinder
    {0x7D, {"spin", "quality"}},                // tx_spherex4
    {0x45, {"direction", "spin", "quality"}},   // tx_pyramid
    {0x4D, {"direction", "spin", "quality"}},   // tx_recttube
    {0x55, {"direction", "speed", "waveSize", "waveHeight"}},   // fx_ripple1
    {0x61, {"direction", "speed", "waveSize", "waveHeight"}},   // tx_ripple2
    {0x2B, {"waveSize", "waveHeight"}},         // fx_drop1
    {0x34, {"waveSize", "waveHeight"}},         // tx_drop2
};

std::string hex(uint32_t value) {
  char text[16];
  snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string stem(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.rfind(".so");
  return dot != std::string::npos && dot + 3 == base.size() ? base.substr(0, dot) : base;
}

std::map<std::string, std::shared_ptr<Plugin>>& loadedPlugins() {
  static std::map<std::string, std::shared_ptr<Plugin>> plugins;
  return plugins;
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string parameterNameForLabel(unsigned label) {
  for (const LabelNames& entry : ParameterLabels)
    for (unsigned i = 0; i < 4 && entry.names[i]; ++i)
      if (entry.firstLabel + i == label) return entry.names[i];
  return std::string();
}

std::string tagName(uint32_t tag) {
  if ((tag & 0xFFFFFF00u) == OpTagBase) return "OPE" + std::to_string(tag & 0xFF);
  return hex(tag);
}

const char* kindName(OperatorKind kind) {
  return kind == OperatorKind::Effect ? "effect" : "transition";
}

Status Plugin::load(const std::string& path, std::shared_ptr<Plugin>& plugin) {
  auto known = loadedPlugins().find(path);
  if (known != loadedPlugins().end()) {
    plugin = known->second;
    return Status();
  }
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return Status::failure("cannot load plug-in " + path + ": " + dlerror());
  auto getInfo = reinterpret_cast<GetInfoFunction>(dlsym(library, "GetOperatorInfo"));
  void* action = dlsym(library, "OperatorAction");
  if (!getInfo || !action) {
    dlclose(library);
    return Status::failure(path + " is not a plug-in: it does not export GetOperatorInfo "
                           "and OperatorAction");
  }
  auto loaded = std::make_shared<Plugin>();
  loaded->path_ = path;
  loaded->name_ = stem(path);
  const OpTag* list = getInfo();
  if (!list) return Status::failure(path + ": the plug-in gave no operator description "
                                    "(its effect module did not load)");
  VX_TRY(loaded->describe(list).within(path));
  loadedPlugins()[path] = loaded;   // the library stays loaded for the process
  plugin = loaded;
  return Status();
}

Status Plugin::describe(const OpTag* list) {
  bool haveKind = false;
  int pairs = 0;
  for (const OpTag* pair = list; pair->tag != 0; ++pair) {
    if (++pairs > MaxTags)
      return Status::failure("the operator description has no end within " +
                             std::to_string(MaxTags) + " tags");
    uint32_t tag = (uint32_t)pair->tag;
    uintptr_t value = pair->value;
    tags_.push_back({tag, value});
    if ((tag & 0xFFFFFF00u) != OpTagBase) continue;
    unsigned n = tag & 0xFF;
    if (tag == OPE1) {
      if (value > 1) return Status::failure("operator kind " + std::to_string(value) + " is neither 0 nor 1");
      kind_ = value == 1 ? OperatorKind::Effect : OperatorKind::Transition;
      haveKind = true;
    } else if (tag == OPE3) {
      action_ = reinterpret_cast<OpActionFunction>(value);
    } else if (tag == OPE16 && value) {
      const char* text = reinterpret_cast<const char*>(value);
      version_.assign(text, strnlen(text, MaxVersionLength));
    } else if (n >= FirstParameterTag && n <= LastParameterTag) {
      VX_TRY(readDescriptor(n, value));
    }
  }
  if (!haveKind) return Status::failure("the operator description has no kind (OPE1)");
  if (!action_) return Status::failure("the operator description has no action (OPE3)");
  return Status();
}

Status Plugin::readDescriptor(unsigned tagNumber, uintptr_t address) {
  if (!address) return Status::failure("parameter tag OPE" + std::to_string(tagNumber) + " is null");
  ParameterInfo p;
  p.tagNumber = tagNumber;
  p.descriptorKind = *reinterpret_cast<const uint16_t*>(address);
  if (p.descriptorKind == DescriptorOptions) {
    auto* d = reinterpret_cast<OptionDescriptor*>(address);
    p.label = d->label;
    p.style = d->style;
    for (int i = 0; d->options && d->options[i] != 0; ++i) {
      if (i == MaxOptions) return Status::failure("an option list has no end");
      p.options.push_back(d->options[i]);
    }
    p.slot = &d->value;
  } else if (p.descriptorKind == DescriptorRange) {
    auto* d = reinterpret_cast<RangeDescriptor*>(address);
    p.label = d->label;
    p.secondText = d->secondText;
    p.minimum = d->minimum;
    p.maximum = d->maximum;
    p.slot = &d->value;
  } else {
    return Status::failure("parameter OPE" + std::to_string(tagNumber) + " has descriptor kind " +
                           std::to_string(p.descriptorKind) + ", which vxhost does not know");
  }
  p.defaultValue = *p.slot;
  p.name = parameterNameForLabel(p.label);
  if (p.name.empty() || findParameter(p.name))
    p.name = "param" + std::to_string(parameters_.size() + 1);
  parameters_.push_back(p);
  return Status();
}

const ParameterInfo* Plugin::findParameter(const std::string& name) const {
  for (const ParameterInfo& p : parameters_)
    if (p.name == name) return &p;
  return nullptr;
}

void Plugin::resetParameters() const {
  for (const ParameterInfo& p : parameters_) *p.slot = p.defaultValue;
}

int Plugin::action(const OpRequest& request) const { return action_(&request); }

PluginPath defaultPluginPath() { return PluginPath{{VX_PLUGIN_DIR}}; }

Status findPlugin(const PluginPath& path, const std::string& name, std::string& file) {
  if (name.find('/') != std::string::npos) {
    if (!isFile(name)) return Status::failure("no plug-in file " + name);
    file = name;
    return Status();
  }
  for (const std::string& folder : path.folders) {
    std::string candidate = folder + "/" + name + ".so";
    if (isFile(candidate)) {
      file = candidate;
      return Status();
    }
  }
  std::vector<std::string> known = scanPlugins(path);
  std::string list;
  for (const std::string& k : known) list += (list.empty() ? "" : " ") + stem(k);
  return Status::usage("unknown plug-in '" + name + "'" +
                       (list.empty() ? "; no plug-ins are built yet (see --plugin-path)"
                                     : "; known: " + list));
}

std::vector<std::string> scanPlugins(const PluginPath& path) {
  std::map<std::string, std::string> byName;
  for (const std::string& folder : path.folders) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) continue;
    while (dirent* entry = readdir(dir)) {
      std::string file = entry->d_name;
      if (file.size() > 3 && file.compare(file.size() - 3, 3, ".so") == 0 && isFile(folder + "/" + file))
        byName.emplace(stem(file), folder + "/" + file);
    }
    closedir(dir);
  }
  std::vector<std::string> files;
  for (auto& entry : byName) files.push_back(entry.second);
  return files;
}

}  // namespace vxhost
