// The services a module may ask for, by the name of its undefined symbol, and
// the shell function each is bound to. Any other name is bound to nothing:
// the image converter refuses it when a plug-in is built.
#pragma once

// X(module symbol, shell service)
#define VX_SERVICE_BINDINGS(X)                                   \
  X("_opGetField", opGetField)                                   \
  X("_opPutField", opPutField)                                   \
  X("_opAllocImage", opAllocImage)                               \
  X("_opFreeImage", opFreeImage)                                 \
  X("_opChkAbort", opChkAbort)                                   \
  X("_sin", shimSin)                                             \
  X("_cos", shimCos)                                             \
  X("_tan", shimTan)                                             \
  X("_atan", shimAtan)                                           \
  X("_asin", shimAsin)                                           \
  X("_sqrt", shimSqrt)                                           \
  X("_log", shimLog)                                             \
  X("_exp", shimExp)                                             \
  X("_floor", shimFloor)                                         \
  X("_ceil", shimCeil)                                           \
  X("_atan2", shimAtan2)                                         \
  X("_malloc", malloc)                                           \
  X("_free", free)                                               \
  X("_memset", memset)                                           \
  X("_memcpy", memcpy)                                           \
  X("___builtin_delete", emptyService)                           \
  X("_loggerPrepMessage", nullService)                           \
  X("_loggerMessageString", nullService)                         \
  X("___pure_virtual", nullService)                              \
  X("___cxa_pure_virtual", nullService)
