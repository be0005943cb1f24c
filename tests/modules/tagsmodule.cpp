// A test module with every kind of tag in its list. Its action answers the
// request code: 8 returns the action's second argument (to show the shell
// passes the caller's stack through), 9 returns atan2(1, 0) in millionths
// (to show a math service returns its double through the binding), anything
// else 100 + code.
#include "runtime/oprecords.h"

namespace {

char version[] = "$Id: tagsmodule.c,v 0.1 2001/03/22 10:00:00 vxfx Exp vxfx $";

int action(const OpRequest* request, int extra) {
  if (request->code == 8) return extra;
  if (request->code == 9) return (int)(atan2(1.0, 0.0) * 1e6);
  return 100 + request->code;
}

OperatorInfo<14> info = {{
    {OPE0, 0}, {OPE1, 0}, {OPE3, VX_ADDRESS(action)}, {OPE16, VX_ADDRESS(version)},
    {OPE13, 2}, {OPE4, 0x44}, {OPE5, 0x55}, {OPE6, 0x66}, {OPE7, 0x77},
    {opTag(8), 0x88}, {opTag(12), 0x1212}, {opTag(15), 0x1515}, {OPE16, 0x1616},
    {0x12345678, 0x9999},
}, 0};

}  // namespace

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
