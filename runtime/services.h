// Every function a module calls outside itself. In a plug-in these are the
// module image's undefined symbols, bound by name when the shell loads it; in
// the ordinary build the same names resolve to the C library, the host
// libraries and the test host. Nothing else may be called from module code.
#pragma once

typedef __SIZE_TYPE__ VxSize;
typedef __UINTPTR_TYPE__ VxAddress;   // an integer that holds an address

struct OpImage;

extern "C" {
// Host operator services (oplib, oplibcommon).
OpImage* opGetField(int stream, unsigned index);
int opPutField(OpImage* image);
OpImage* opAllocImage(int width, int height, int kind, int flags);
void opFreeImage(OpImage* image);
int opChkAbort(void);

// Logging: in a plug-in both are bound to a service that does nothing and
// yields 0.
int loggerPrepMessage(const char* text);
int loggerMessageString(int level, int line, const char* sourcePath,
                        int operatorCode, int message);
}

#if __STDC_HOSTED__
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <new>
#else
extern "C" {
// Math and memory services of the C library.
double sin(double);
double cos(double);
double tan(double);
double atan(double);
double asin(double);
double sqrt(double);
double log(double);
double exp(double);
double floor(double);
double ceil(double);
double atan2(double y, double x);
void* malloc(VxSize size);
void free(void* block);
void* memset(void* dest, int value, VxSize count);
void* memcpy(void* dest, const void* src, VxSize count);
}

// Placement new, for objects built in memory from the malloc service.
inline void* operator new(VxSize, void* place) noexcept { return place; }
#endif
