// A test module whose list names no action.
#include "runtime/oprecords.h"

namespace {
OperatorInfo<3> info = {{{OPE0, 0}, {OPE1, 1}, {OPE13, 2}}, 0};
}

extern "C" OpTag* GetOperatorInfo() { return info.pairs; }
