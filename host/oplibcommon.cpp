// liboplibcommon: opAllocImage and opFreeImage, forwarded like liboplib's.
#include "host/opservices.h"

#define VX_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" const OpHostServices* opInstalledHost();

VX_EXPORT OpImage* opAllocImage(int width, int height, int kind, int flags) {
  const OpHostServices* host = opInstalledHost();
  return host ? host->allocImage(host->context, width, height, kind, flags) : nullptr;
}

VX_EXPORT void opFreeImage(OpImage* image) {
  const OpHostServices* host = opInstalledHost();
  if (host) host->freeImage(host->context, image);
}
