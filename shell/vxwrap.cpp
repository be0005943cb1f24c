// The shell stands between host and module. Its state is written only during
// the first successful GetOperatorInfo call (and at unload); after that both
// entry points only read it.
#include "shell/vxwrap.h"

#include "shell/loader.h"
#include "shell/platform.h"

// The image embedded by the build (cmake/image.S.in).
extern "C" const uint8_t vxModuleImage[];
extern "C" const uint8_t vxModuleImageEnd[];

typedef OpTag* (*EntryFunction)();

namespace {
EntryFunction moduleEntry = nullptr;
LoadedModule module = {};
}  // namespace

// Read by the OperatorAction thunk.
extern "C" {
__attribute__((visibility("hidden"))) VxAddress vxModuleAction = 0;
}

namespace {

// The end of whichever module region holds the list, or null when neither
// does: a list is only walked inside the module's own memory.
const uint8_t* regionEnd(const void* list) {
  const uint8_t* p = static_cast<const uint8_t*>(list);
  const uint8_t* regions[2] = {static_cast<const uint8_t*>(module.dataRegion),
                               static_cast<const uint8_t*>(module.textRegion)};
  uint32_t sizes[2] = {module.dataSize, module.textSize};
  for (int k = 0; k < 2; ++k)
    if (regions[k] && p >= regions[k] && p < regions[k] + sizes[k]) return regions[k] + sizes[k];
  return nullptr;
}

// Every OPE3 pair gets OperatorAction as its value; the module's own action
// is kept for the thunk. The walk stops at the 0 tag word.
void redirectAction(OpTag* list) {
  const uint8_t* end = regionEnd(list);
  if (!end) return;
  for (OpTag* pair = list;; ++pair) {
    const uint8_t* at = reinterpret_cast<const uint8_t*>(pair);
    if (at + sizeof(pair->tag) > end || pair->tag == 0) break;
    if (at + sizeof(OpTag) > end) break;
    if (pair->tag == OPE3) {
      vxModuleAction = pair->value;
      pair->value = reinterpret_cast<VxAddress>(&OperatorAction);
    }
  }
}

}  // namespace

OpTag* GetOperatorInfo() {
  if (moduleEntry) return moduleEntry();
  LoadedModule loaded;
  if (LoadModule(vxModuleImage, (size_t)(vxModuleImageEnd - vxModuleImage), &loaded) !=
      LoadResult::Loaded)
    return nullptr;
  module = loaded;
  moduleEntry = reinterpret_cast<EntryFunction>(loaded.entry);
  OpTag* list = moduleEntry();
  if (!list) return moduleEntry();
  redirectAction(list);
  return list;
}

// A true tail jump: the module sees the host's stack and returns straight to
// the host.
#if defined(__i386__)
asm(R"(
        .text
        .globl  OperatorAction
        .type   OperatorAction, @function
OperatorAction:
        call    1f
1:      popl    %ecx
        addl    $_GLOBAL_OFFSET_TABLE_+(.-1b), %ecx
        movl    vxModuleAction@GOTOFF(%ecx), %eax
        testl   %eax, %eax
        jz      2f
        jmp     *%eax
2:      movl    $-1, %eax
        ret
        .size   OperatorAction, .-OperatorAction
)");
#else
int OperatorAction(const OpRequest* request) {
  if (!vxModuleAction) return -1;
  return reinterpret_cast<OpActionFunction>(vxModuleAction)(request);
}
#endif

// At process detach the module's pages go back to the system; the address
// ranges stay reserved.
__attribute__((destructor)) static void releaseModule() {
  if (module.textRegion) {
    platformDecommit(module.textRegion, module.textSize);
    module.textRegion = nullptr;
  }
  if (module.dataRegion) {
    platformDecommit(module.dataRegion, module.dataSize);
    module.dataRegion = nullptr;
  }
}
