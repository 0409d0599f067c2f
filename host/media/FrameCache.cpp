#include "media/FrameCache.h"

namespace zv::media {

const AVFrame *FrameCache::Get(std::int64_t index) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first != index) continue;
    entries_.splice(entries_.begin(), entries_, it);
    return entries_.front().second.get();
  }
  return nullptr;
}

void FrameCache::Put(std::int64_t index, const AVFrame &frame) {
  if (Get(index)) return;
  FramePtr ref = NewFrame();
  Check(av_frame_ref(ref.get(), &frame), "keeping a decoded frame");
  entries_.emplace_front(index, std::move(ref));
  if (entries_.size() > capacity_) entries_.pop_back();
}

}  // namespace zv::media
