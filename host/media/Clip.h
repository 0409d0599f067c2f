// A clip the host reads frames and sound from: a file, a still picture or the
// built-in demo. Frame indexes count from the clip's first frame; sound is
// addressed in samples on a timeline whose sample 0 is the time of frame 0.
#pragma once

#include <cstdint>
#include <vector>

#include "media/Image.h"

extern "C" {
#include <libavutil/rational.h>
}

namespace zv::media {

struct ClipInfo {
  int width = 0;
  int height = 0;
  AVRational frameRate{30, 1};
  std::int64_t frameCount = 0;
  int sampleRate = 0;  // 0: the clip has no sound
  int channels = 0;
};

// Planar float samples, -1.0 to 1.0 full scale.
struct AudioBlock {
  int channels = 0;
  int samples = 0;
  std::vector<float> data;  // channel c at data[c * samples]

  AudioBlock() = default;
  AudioBlock(int ch, int n) : channels(ch), samples(n), data(static_cast<std::size_t>(ch) * n, 0.0f) {}
  float *Plane(int c) { return data.data() + static_cast<std::size_t>(c) * samples; }
  const float *Plane(int c) const { return data.data() + static_cast<std::size_t>(c) * samples; }
};

class Clip {
 public:
  virtual ~Clip() = default;
  virtual const ClipInfo &Info() const = 0;
  // Draws frame index into target, scaled to target's size. Throws MediaError.
  virtual void ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) = 0;
  // Adds gain times the clip's samples [first, first + out.samples) into out;
  // samples outside the clip's sound count as silence. Throws MediaError.
  virtual void MixAudio(std::int64_t first, AudioBlock &out, float gain) = 0;
};

// The first sample of a frame's time span on a timeline of rate samples a
// second; frame index lasts from FrameSample(index) to FrameSample(index + 1).
std::int64_t FrameSample(std::int64_t index, AVRational frameRate, int sampleRate);

}  // namespace zv::media
