// The host side of the five operator services. liboplib and liboplibcommon
// export opGetField, opPutField, opChkAbort, opAllocImage and opFreeImage with
// the cdecl convention that plug-ins call; each forwards to the services that
// the running host installed with opInstallHost. A call made before any host
// is installed fails safely (null image, status -1, nothing freed).
#pragma once

#include "../runtime/oprecords.h"

struct OpHostServices {
  OpImage* (*getField)(void* context, int stream, unsigned index);
  int (*putField)(void* context, OpImage* image);
  OpImage* (*allocImage)(void* context, int width, int height, int kind, int flags);
  void (*freeImage)(void* context, OpImage* image);
  int (*chkAbort)(void* context);
  void* context;
};

extern "C" {
// Installs the services, or removes them when given null; the caller keeps
// the record alive while it is installed. Returns the record installed before.
__attribute__((visibility("default")))
const OpHostServices* opInstallHost(const OpHostServices* services);
}
