// Binding of a module's undefined symbols to the shell's services.
#pragma once

#include <stdint.h>

struct ModuleLayout;

typedef void (*Service)();

// The service bound to symbol index `index` of the image: the service named
// by an undefined symbol, and the null service for a defined symbol, an
// unknown name or an index beyond the symbol table.
Service ServiceFor(const ModuleLayout& image, uint32_t index);

// The service a symbol name is bound to, or null when the name is unknown.
Service serviceNamed(const char* name);

extern "C" {
int nullService();
void emptyService();
double shimSin(double);
double shimCos(double);
double shimTan(double);
double shimAtan(double);
double shimAsin(double);
double shimSqrt(double);
double shimLog(double);
double shimExp(double);
double shimFloor(double);
double shimCeil(double);
double shimAtan2(double y, double x);
}
