// Process Manager.

#include "Processes.h"

#include <cstdio>
#include <cstdlib>

extern "C" void ExitToShell(void) {
  // What was said must reach the terminal; nothing else is cleaned up.
  std::fflush(nullptr);
  std::_Exit(1);
}
