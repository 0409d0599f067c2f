#include "media/DemoClip.h"

#include <cmath>
#include <numbers>
#include <string>

#include "media/FFmpeg.h"

namespace zv::media {

namespace {

// 75% bars: white, yellow, cyan, green, magenta, red, blue.
constexpr std::uint8_t kBars[7][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                      {191, 0, 191},   {191, 0, 0},   {0, 0, 191}};
constexpr int kBarsBottom = 320, kDarkBottom = 400;  // then the light ramp to the bottom
constexpr int kScrollPerFrame = 4;

}  // namespace

DemoClip::DemoClip() {
  info_.width = kWidth;
  info_.height = kHeight;
  info_.frameRate = {30, 1};
  info_.frameCount = kFrames;
  info_.sampleRate = kSampleRate;
  info_.channels = 2;
}

void DemoClip::ReadFrame(std::int64_t index, const ArgbView &target, Quality) {
  if (index < 0 || index >= kFrames)
    throw MediaError("frame " + std::to_string(index) + " is outside the clip (0 to " + std::to_string(kFrames - 1) +
                     ")");
  const int shift = static_cast<int>(index) * kScrollPerFrame;
  for (int y = 0; y < target.height; ++y) {
    const int sy = static_cast<int>(static_cast<long>(y) * kHeight / target.height);
    std::uint8_t *p = target.Row(y);
    for (int x = 0; x < target.width; ++x, p += 4) {
      const int sx = static_cast<int>(static_cast<long>(x) * kWidth / target.width);
      p[0] = 255;
      if (sy < kBarsBottom) {
        const auto &bar = kBars[((sx + shift) % kWidth) * 7 / kWidth];
        p[1] = bar[0], p[2] = bar[1], p[3] = bar[2];
      } else {
        const int level = sy < kDarkBottom ? sx * 96 / kWidth : 160 + sx * 96 / kWidth;
        p[1] = p[2] = p[3] = static_cast<std::uint8_t>(level);
      }
    }
  }
}

void DemoClip::MixAudio(std::int64_t first, AudioBlock &out, float gain) {
  const std::int64_t end = FrameSample(kFrames, info_.frameRate, kSampleRate);
  for (int i = 0; i < out.samples; ++i) {
    const std::int64_t s = first + i;
    if (s < 0 || s >= end) continue;
    const float v = 0.25f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 440.0 * s / kSampleRate));
    for (int c = 0; c < out.channels; ++c) out.Plane(c)[i] += gain * v;
  }
}

}  // namespace zv::media
