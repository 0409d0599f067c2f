// The command line of zorvane:
//   zorvane render [INPUT] [-o OUTPUT] [--fade-in N] [--fade-out N] [--start N] [--frames N]
//                  [--size WxH] [--vcodec NAME] [--proxy] [--part K/M] [--plugin BUNDLE] [--quiet]
//   zorvane thumbnail [INPUT] -o FILE.png [--at N] [--size WxH] [--frames N] [--plugin BUNDLE] [--quiet]
//   zorvane configure [INPUT] [--frame N] [--script FILE] [--plugin BUNDLE]
//   zorvane info [--plugin BUNDLE]
//   zorvane join PART... -o OUTPUT [--sound FROM] [--quiet]
//   zorvane hosts [--prefix DIR] [--quiet]
//   zorvane --version
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media/FrameLimits.h"

namespace zv::host {

enum class Command { Help, Version, Info, Render, Thumbnail, Configure, Join, Hosts };

struct Options {
  Command command = Command::Help;
  std::optional<std::string> input;  // none: the built-in demo clip
  std::optional<std::string> output;
  std::int64_t fadeIn = 0, fadeOut = 0, start = 0, at = 0, frame = 0;
  std::optional<std::string> script;  // configure: run the dialog on this script
  std::optional<std::int64_t> frames;
  std::optional<std::pair<int, int>> size;
  std::optional<std::pair<std::int64_t, std::int64_t>> part;  // K of M; checked against the pass later
  std::vector<std::string> parts;                              // join: the part files
  std::optional<std::string> sound;                            // join: where the sound comes from
  std::string vcodec;
  std::string plugin;
  std::optional<std::string> prefix;  // hosts: report for an install under this prefix
  bool proxy = false;
  bool quiet = false;
};

// Throws Failure with exit status 2 on a usage error.
Options ParseOptions(const std::vector<std::string> &args);

extern const char kUsage[];

using media::kMaxFrameSide;

}  // namespace zv::host
