#include "media/StillClip.h"

#include <string>

#include "media/FFmpeg.h"

namespace zv::media {

StillClip::StillClip(std::unique_ptr<Clip> still, std::int64_t frames) : still_(std::move(still)) {
  info_ = still_->Info();
  info_.frameCount = frames;
}

void StillClip::ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) {
  if (index < 0 || index >= info_.frameCount)
    throw MediaError("frame " + std::to_string(index) + " is outside the clip (0 to " +
                     std::to_string(info_.frameCount - 1) + ")");
  still_->ReadFrame(0, target, quality);
}

}  // namespace zv::media
