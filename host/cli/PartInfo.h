// What a part of a render pass carries in its metadata, so that `join` can
// tell whether files are exactly the parts 1 to M of one pass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>


namespace zv::host {

struct PartInfo {
  std::int64_t part = 1, of = 1;  // K of M
  std::string input;              // as named on the command line; empty: the demo clip
  std::int64_t inputBytes = 0;
  std::int64_t inputFrames = 0;
  std::int64_t start = 0, frames = 0;  // the whole pass
  std::int64_t fadeIn = 0, fadeOut = 0;
  int width = 0, height = 0;
  int rateNum = 30, rateDen = 1;
  bool proxy = false;
  std::string config;   // digest of the stored configuration the part was made with
  std::string encoder;
  int reorder = 0;      // the encoder's frames of reordering (decoding times are made from it)
  std::string digest;   // of this description without it and of the part's coded frames (PartStamp.h)

  // Part K covers the pass's frames [First, End).
  std::int64_t First() const { return (part - 1) * frames / of; }
  std::int64_t End() const { return part * frames / of; }

  std::string Format() const;
  static std::optional<PartInfo> Parse(const std::string &text);
  // Empty when other belongs to the same pass (its K and encoder aside);
  // otherwise what differs, for the error line.
  std::string PassDifference(const PartInfo &other) const;
};

// The metadata key that holds the description.
inline constexpr const char *kPartTag = "comment";

}  // namespace zv::host
