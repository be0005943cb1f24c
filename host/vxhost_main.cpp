// vxhost: runs the vxfx plug-ins on video files. See runCommandLine.
#include <unistd.h>
#include <iostream>

#include "host/vxhost/commands.h"
#include "host/vxhost/output.h"
#include "host/vxhost/services.h"

int main(int argc, char** argv) {
  vxhost::removeTemporaryFilesOnSignals();
  vxhost::reportPluginCrashes();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  vxhost::Console console{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  return vxhost::runCommandLine(arguments, console);
}
