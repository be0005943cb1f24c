// Not a test: fields per second of tx_saucer and tx_cube at 720x288, through
// the real plug-ins, for each quality and with the fast flag. Each figure is
// the mean over fields spread evenly across one transition, in this
// process's CPU time, so that other work on the machine does not count.
//
//   shapes_bench [fields per setting, default 25] [transition name ...]
#include <stdio.h>
#include <stdlib.h>

#include <time.h>

#include <string>
#include <vector>

#include "tests/shapes_plugin.h"

namespace {

constexpr int Width = 720, Height = 288;

struct Setting {
  const char* name;
  int quality;
  uint32_t flags;
};

const Setting settings[] = {
    {"quality 0", 0, 0}, {"quality 1", 1, 0}, {"quality 2", 2, 0}, {"fast flag", 2, OpFlagFast}};

double fieldsPerSecond(ShapePlugin& plugin, TestHost& host, const Setting& s, int fields) {
  plugin.slot(OPE6) = s.quality;
  clock_t start = clock();
  for (int k = 0; k < fields; ++k) {
    host.calls.clear();
    if (plugin.render((uint32_t)k, (uint32_t)fields, s.flags) != 0) {
      fprintf(stderr, "render failed\n");
      exit(1);
    }
  }
  double seconds = (double)(clock() - start) / CLOCKS_PER_SEC;
  return fields / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int fields = argc > 1 ? atoi(argv[1]) : 25;
  std::vector<std::string> names;
  for (int k = 2; k < argc; ++k) names.push_back(argv[k]);
  if (names.empty()) names = {"tx_saucer", "tx_cube"};

  TestHost host;
  host.setStream(0, gradientPicture(Width, Height));
  host.setStream(1, TestPicture::filled(Width, Height, BackgroundBlue));
  printf("%-10s %-10s %s\n", "transition", "setting", "fields/s");
  for (const std::string& name : names) {
    ShapePlugin plugin(name);
    for (const Setting& s : settings)
      printf("%-10s %-10s %.1f\n", name.c_str(), s.name, fieldsPerSecond(plugin, host, s, fields));
  }
  return 0;
}
