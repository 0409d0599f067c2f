// Converts decoded frames to 32-bit ARGB at any size. Exact (bit-accurate)
// conversion for high quality, a fast filter for low quality; scaler set-ups
// are kept for reuse because a render asks for the same shape every frame.
#pragma once

#include <map>
#include <tuple>

#include "media/FFmpeg.h"
#include "media/Image.h"

namespace zv::media {

class FrameConverter {
 public:
  void ToArgb(const AVFrame &frame, const ArgbView &target, Quality quality);

 private:
  using Key = std::tuple<int, int, int, int, int, int, int, int>;
  SwsContext *ContextFor(const AVFrame &frame, const ArgbView &target, Quality quality);
  std::map<Key, SwsPtr> contexts_;
};

// The scaler flags both directions use: bit-exact, accurate rounding and full
// chroma, so lossless round trips keep every byte.
int ExactScalerFlags(bool scaling);

// swscale's colour matrix for a frame's colour space.
int SwsColorspaceOf(AVColorSpace space, int height);

}  // namespace zv::media
