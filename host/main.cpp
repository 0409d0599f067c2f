// zorvane: plays the video editor's part for the Zorvane plug-in over real clips.
#include "cli/Commands.h"

int main(int argc, char **argv) { return zv::host::RunZorvane(argc, argv); }
