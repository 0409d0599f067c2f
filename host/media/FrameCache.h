// The last few decoded frames by index, so a jumping frame slider and a
// repeated request cost no decoding.
#pragma once

#include <cstdint>
#include <list>
#include <utility>

#include "media/FFmpeg.h"

namespace zv::media {

class FrameCache {
 public:
  explicit FrameCache(std::size_t capacity) : capacity_(capacity) {}

  // The frame, now the most recently used; nullptr when not held.
  const AVFrame *Get(std::int64_t index);
  // Keeps a reference to frame under index (an existing entry stays).
  void Put(std::int64_t index, const AVFrame &frame);
  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  std::size_t capacity_;
  std::list<std::pair<std::int64_t, FramePtr>> entries_;  // most recent first
};

}  // namespace zv::media
