// The vxhost command line: list, info, render, demo and bench. main() only
// hands over its arguments and streams; everything else is here, so tests
// run commands in-process and read what they print.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vxhost {

struct Console {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;   // progress bars only on a terminal
};

// Runs one command line (without the program name); returns the exit status.
// Failures print one line, "vxhost: ...", on err.
int runCommandLine(const std::vector<std::string>& arguments, Console& console);

}  // namespace vxhost
