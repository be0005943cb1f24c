// A test module whose list ends before its first pair; the action tag after
// the terminator must not be seen.
#include "runtime/oprecords.h"

namespace {
int action(const OpRequest*) { return 5; }
struct {
  VxAddress terminator;
  OpTag after;
} list = {0, {OPE3, VX_ADDRESS(action)}};
}  // namespace

extern "C" OpTag* GetOperatorInfo() { return reinterpret_cast<OpTag*>(&list); }
