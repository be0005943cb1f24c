#include "tests/plugintest.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

Plugin::Plugin(const std::string& path) {
  char dir[] = "/tmp/vxplugin-XXXXXX";
  if (!mkdtemp(dir)) throw std::runtime_error("no temporary folder");
  copy_ = std::string(dir) + "/plugin.so";
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("no plug-in at " + path);
    std::ofstream out(copy_, std::ios::binary);
    out << in.rdbuf();
  }
  handle_ = dlopen(copy_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error(dlerror());
  getOperatorInfo = reinterpret_cast<OpTag* (*)()>(dlsym(handle_, "GetOperatorInfo"));
  operatorAction = reinterpret_cast<int (*)(const OpRequest*)>(dlsym(handle_, "OperatorAction"));
}

Plugin::~Plugin() {
  if (handle_) dlclose(handle_);
  unlink(copy_.c_str());
  rmdir(copy_.substr(0, copy_.rfind('/')).c_str());
}

bool Plugin::find(const OpTag* list, uint32_t tag, VxAddress* value) {
  for (const OpTag* pair = list; pair->tag != 0; ++pair)
    if (pair->tag == tag) {
      *value = pair->value;
      return true;
    }
  return false;
}

int Plugin::pairCount(const OpTag* list) {
  int count = 0;
  while (list[count].tag != 0) ++count;
  return count;
}

std::string pluginPath(const std::string& name) { return std::string(VX_PLUGIN_DIR) + "/" + name + ".so"; }

std::string testModulePath(const std::string& name) {
  return std::string(VX_TEST_MODULE_DIR) + "/" + name + ".so";
}

OpRequest renderRequest(uint32_t index, uint32_t count, uint32_t flags) {
  return OpRequest{OpRender, 0, flags, count, index};
}

std::string protectionOf(const void* place) {
  FILE* maps = fopen("/proc/self/maps", "r");
  if (!maps) return "";
  char line[512];
  std::string found;
  uintptr_t address = (uintptr_t)place;
  while (fgets(line, sizeof line, maps)) {
    unsigned long low, high;
    char perms[8];
    if (sscanf(line, "%lx-%lx %7s", &low, &high, perms) == 3 && address >= low && address < high)
      found = perms;
  }
  fclose(maps);
  return found;
}
