// Plug-ins: shared libraries exporting GetOperatorInfo and OperatorAction.
// Loading one reads its operator description (the {tag, value} list) into
// plain values once; the parameter descriptors stay in the module, where the
// host writes the value slots before each render.
#pragma once

#include <stdint.h>
#include <memory>
#include <string>
#include <vector>

#include "host/vxhost/status.h"
#include "runtime/oprecords.h"

namespace vxhost {

enum class OperatorKind { Transition, Effect };

struct ParameterInfo {
  std::string name;             // as the effects call it: direction, spin...
  unsigned tagNumber = 0;       // n of the OPEn tag that points at it
  unsigned descriptorKind = 0;  // DescriptorOptions or DescriptorRange
  unsigned label = 0;           // host text number of the name
  // Options (kind 0)
  uint32_t style = 0;           // OptionsAreDirections or OptionsAreTexts
  std::vector<uint32_t> options;
  // Range (kind 2)
  uint32_t secondText = 0;
  int32_t minimum = 0, maximum = 0;

  int32_t defaultValue = 0;     // the slot's value when the plug-in was loaded
  int32_t* slot = nullptr;      // the module's value slot

  bool isOptions() const { return descriptorKind == DescriptorOptions; }
};

struct TagValue {
  uint32_t tag;
  uintptr_t value;
};

class Plugin {
 public:
  // Loads a plug-in once per process; later calls for the same file return
  // the same object, so defaults stay those the module started with.
  static Status load(const std::string& path, std::shared_ptr<Plugin>& plugin);

  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  OperatorKind kind() const { return kind_; }
  int streams() const { return kind_ == OperatorKind::Effect ? 1 : 2; }
  const std::string& version() const { return version_; }
  const std::vector<TagValue>& tags() const { return tags_; }
  const std::vector<ParameterInfo>& parameters() const { return parameters_; }
  const ParameterInfo* findParameter(const std::string& name) const;

  // Puts every value slot back to its default.
  void resetParameters() const;
  int action(const OpRequest& request) const;

 private:
  Status describe(const OpTag* list);
  Status readDescriptor(unsigned tagNumber, uintptr_t address);
  std::string name_, path_, version_;
  OperatorKind kind_ = OperatorKind::Effect;
  std::vector<TagValue> tags_;
  std::vector<ParameterInfo> parameters_;
  OpActionFunction action_ = nullptr;
};

// The parameter name of a descriptor label, or an empty string.
std::string parameterNameForLabel(unsigned label);
std::string tagName(uint32_t tag);
const char* kindName(OperatorKind kind);

// Where plug-ins are looked for, and how a name on the command line becomes
// a file: a name with a slash is a path, anything else is NAME.so in the
// first folder that has it.
struct PluginPath {
  std::vector<std::string> folders;
};
PluginPath defaultPluginPath();
Status findPlugin(const PluginPath& path, const std::string& name, std::string& file);
// Every plug-in file in the folders, by name (a name found twice is the first).
std::vector<std::string> scanPlugins(const PluginPath& path);

}  // namespace vxhost
