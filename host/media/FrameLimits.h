// The largest frame the host reads, renders or writes. A file's declared size
// is checked against these before anything is decoded, so a hostile header
// cannot make the program allocate gigabytes.
#pragma once

#include <cstdint>
#include <string>

namespace zv::media {

constexpr int kMaxFrameSide = 16384;
// Enough for 8K cinema frames; beyond this a single ARGB frame is over 140 MB.
constexpr std::int64_t kMaxFramePixels = 8192LL * 4320;

inline bool FitsFrameLimits(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         width * height <= kMaxFramePixels;
}

inline std::string FrameLimitsText() {
  return "at most " + std::to_string(kMaxFrameSide) + " on a side and " + std::to_string(kMaxFramePixels) +
         " pixels";
}

}  // namespace zv::media
