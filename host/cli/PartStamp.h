// A part proves that its coded frames are the ones its render wrote: a digest
// of its description and of every coded video frame, kept in the description.
// A part re-encoded, damaged or given an edited description fails the check.
#pragma once

#include <cstdint>
#include <string>

#include "cli/PartInfo.h"
#include "media/FFmpeg.h"

struct AVHashContext;

namespace zv::host {

class PartDigest {
 public:
  explicit PartDigest(const PartInfo &info);  // the description without its digest
  PartDigest(const PartDigest &) = delete;
  PartDigest &operator=(const PartDigest &) = delete;
  ~PartDigest();
  void Add(const AVPacket &packet);
  std::string Hex();

 private:
  AVHashContext *hash_ = nullptr;
};

// A part's packet, in decoding order the index-th of the part, moved to where
// the part begins (first) in frames: pts from its stream's time base, dts from
// the order and the encoder's delay. False when reordered further than that.
bool PlacePartPacket(AVPacket &packet, AVRational from, AVRational rate, std::int64_t first, std::int64_t index,
                     int delay);

// Rewrites the finished part at path (its packets copied, nothing encoded
// again) with info's description and the digest; all or nothing.
void StampPart(const std::string &path, PartInfo info);

}  // namespace zv::host
