// The commands. Each returns the exit status or throws Failure.
#pragma once

#include <cstdio>

#include "cli/Options.h"

namespace zv::host {

int RunInfo(const Options &options, std::FILE *out);
int RunRender(const Options &options, std::FILE *out);
int RunThumbnail(const Options &options, std::FILE *out);
int RunConfigure(const Options &options, std::FILE *out);
int RunJoin(const Options &options, std::FILE *out);   // in Join.cpp
int RunHosts(const Options &options, std::FILE *out);  // in Hosts.cpp
int RunVersion(const Options &options, std::FILE *out);

// Parses and runs; prints the one-line error and returns the exit status.
int RunZorvane(int argc, char **argv);

}  // namespace zv::host
