// liboplib: opGetField, opPutField and opChkAbort, forwarded to the services
// of the host that installed itself. Without a host every call fails safely.
#include "host/opservices.h"

#define VX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
const OpHostServices* installed = nullptr;
}

VX_EXPORT const OpHostServices* opInstallHost(const OpHostServices* services) {
  const OpHostServices* previous = installed;
  installed = services;
  return previous;
}

// The services as installed, for liboplibcommon.
VX_EXPORT const OpHostServices* opInstalledHost() { return installed; }

VX_EXPORT OpImage* opGetField(int stream, unsigned index) {
  return installed ? installed->getField(installed->context, stream, index) : nullptr;
}

VX_EXPORT int opPutField(OpImage* image) {
  return installed ? installed->putField(installed->context, image) : -1;
}

VX_EXPORT int opChkAbort() {
  return installed ? installed->chkAbort(installed->context) : 0;
}
