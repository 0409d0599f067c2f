// A one-frame clip shown for a number of frames: a still picture given
// --frames. Sound, if any, is not repeated.
#pragma once

#include <memory>

#include "media/Clip.h"

namespace zv::media {

class StillClip final : public Clip {
 public:
  StillClip(std::unique_ptr<Clip> still, std::int64_t frames);
  const ClipInfo &Info() const override { return info_; }
  void ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) override;
  void MixAudio(std::int64_t first, AudioBlock &out, float gain) override { still_->MixAudio(first, out, gain); }

 private:
  std::unique_ptr<Clip> still_;
  ClipInfo info_;
};

}  // namespace zv::media
