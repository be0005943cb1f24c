// The math shims take their double arguments from the stack and return the
// double result on the x87 stack, as every cdecl caller on i386 expects.
#include "shell/services.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "host/opservices.h"
#include "shell/loader.h"
#include "shell/servicenames.h"

extern "C" {
int nullService() { return 0; }
void emptyService() {}
double shimSin(double x) { return sin(x); }
double shimCos(double x) { return cos(x); }
double shimTan(double x) { return tan(x); }
double shimAtan(double x) { return atan(x); }
double shimAsin(double x) { return asin(x); }
double shimSqrt(double x) { return sqrt(x); }
double shimLog(double x) { return log(x); }
double shimExp(double x) { return exp(x); }
double shimFloor(double x) { return floor(x); }
double shimCeil(double x) { return ceil(x); }
double shimAtan2(double y, double x) { return atan2(y, x); }
}

namespace {

struct Binding {
  const char* name;
  Service service;
};

#define VX_BINDING(name, function) {name, reinterpret_cast<Service>(&function)},
const Binding bindings[] = {VX_SERVICE_BINDINGS(VX_BINDING)};
#undef VX_BINDING

}  // namespace

Service serviceNamed(const char* name) {
  for (const Binding& binding : bindings)
    if (strcmp(binding.name, name) == 0) return binding.service;
  return nullptr;
}

Service ServiceFor(const ModuleLayout& image, uint32_t index) {
  Service null = reinterpret_cast<Service>(&nullService);
  ModuleSymbol symbol;
  if (!image.symbol(index, &symbol) || symbol.type != aout::SymbolUndefined || !symbol.name)
    return null;
  Service service = serviceNamed(symbol.name);
  return service ? service : null;
}
