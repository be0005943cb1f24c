#include "shell/platform.h"

#include <errno.h>
#include <sys/mman.h>

namespace {

int protectionFlags(Protection protection) {
  switch (protection) {
    case Protection::ReadWrite: return PROT_READ | PROT_WRITE;
    case Protection::ReadWriteExecute: return PROT_READ | PROT_WRITE | PROT_EXEC;
    case Protection::ReadExecute: return PROT_READ | PROT_EXEC;
  }
  return PROT_NONE;
}

}  // namespace

void* platformAllocate(size_t size, Protection protection) {
  void* region = mmap(nullptr, size ? size : 1, protectionFlags(protection),
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return region == MAP_FAILED ? nullptr : region;
}

bool platformProtect(void* region, size_t size, Protection protection) {
  return mprotect(region, size ? size : 1, protectionFlags(protection)) == 0;
}

bool platformLock(void* region, size_t size) { return mlock(region, size) == 0; }

void platformFlushInstructions(void* region, size_t size) {
  char* start = static_cast<char*>(region);
  __builtin___clear_cache(start, start + size);
}

int platformLastError() { return errno; }

void platformDecommit(void* region, size_t size) {
  mmap(region, size ? size : 1, PROT_NONE, MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
}

void platformRelease(void* region, size_t size) { munmap(region, size ? size : 1); }
