// The built-in demo clip, made in memory so the program shows what it does on
// a machine with no media at hand: 5 seconds of 720 x 480 at 30 frames a second,
// colour bars moving left over dark and light grey ramps, and a 440 Hz tone.
#pragma once

#include "media/Clip.h"

namespace zv::media {

class DemoClip final : public Clip {
 public:
  static constexpr int kWidth = 720, kHeight = 480, kFrames = 150, kSampleRate = 48000;

  DemoClip();
  const ClipInfo &Info() const override { return info_; }
  void ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) override;
  void MixAudio(std::int64_t first, AudioBlock &out, float gain) override;

 private:
  ClipInfo info_;
};

}  // namespace zv::media
