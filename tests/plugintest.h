// Loading a real plug-in as a host does. Each Plugin is a private copy of the
// library file, so its shell starts from scratch whatever other tests did.
#pragma once

#include <string>

#include "runtime/oprecords.h"

class Plugin {
 public:
  explicit Plugin(const std::string& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  OpTag* (*getOperatorInfo)() = nullptr;
  int (*operatorAction)(const OpRequest*) = nullptr;

  // The value under a tag of the list, walking it as a host does.
  static bool find(const OpTag* list, uint32_t tag, VxAddress* value);
  // Pairs before the 0 terminator.
  static int pairCount(const OpTag* list);

 private:
  std::string copy_;
  void* handle_ = nullptr;
};

std::string pluginPath(const std::string& name);       // the project's plug-ins
std::string testModulePath(const std::string& name);   // test modules

OpRequest renderRequest(uint32_t index, uint32_t count, uint32_t flags = 0);

// The protection of the page holding `place`, as /proc/self/maps gives it
// ("r-xp", "---p"...), or "" when no mapping holds it.
std::string protectionOf(const void* place);
