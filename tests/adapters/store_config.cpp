// Stores a configuration as the set-up dialog's OK would:
//   zorvane-store-config LEFT RIGHT TOP BOTTOM RED GREEN BLUE   (floors in percent)
#include "DataHandling.h"
#include "prefsloader.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: %s LEFT RIGHT TOP BOTTOM RED GREEN BLUE\n", argv[0]);
    return 2;
  }
  PLUGINDATAREC config{};
  ResetConfig(&config, true);
  config.STARTREL = {std::atof(argv[1]), std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4])};
  for (int i = 0; i < 3; ++i) config.SLIDERS[i] = static_cast<SInt16>(std::atoi(argv[5 + i]));
  return SaveConfig(&config) ? 0 : 1;
}
