// The plug-in shell: the only two functions a plug-in exports. The effect
// module the plug-in carries is loaded on the first GetOperatorInfo call.
#pragma once

#include "runtime/oprecords.h"

#define VX_SHELL_EXPORT extern "C" __attribute__((visibility("default")))

// The module's operator description with the action redirected to
// OperatorAction; null when the module cannot be loaded.
VX_SHELL_EXPORT OpTag* GetOperatorInfo();

// Forwards the host's call to the module's action untouched, as a tail jump;
// -1 when no module action is known.
VX_SHELL_EXPORT int OperatorAction(const OpRequest* request);
