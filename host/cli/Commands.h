// The commands, each a row of CommandTable.cpp. Each returns the exit status
// or throws Failure or a MediaError naming its file.
#pragma once

#include <cstdio>

#include "cli/Options.h"

namespace zv::host {

int RunInfo(const Options &options, std::FILE *out);
int RunRender(const Options &options, std::FILE *out);  // in Render.cpp
int RunThumbnail(const Options &options, std::FILE *out);
int RunConfigure(const Options &options, std::FILE *out);
int RunJoin(const Options &options, std::FILE *out);   // in Join.cpp
int RunHosts(const Options &options, std::FILE *out);  // in Hosts.cpp
int RunVersion(const Options &options, std::FILE *out);

// Parses and runs; prints the one-line error and returns the exit status.
int RunZorvane(int argc, char **argv);

}  // namespace zv::host
