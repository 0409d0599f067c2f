// What the reader checks of a file before trusting it: the frame sizes its
// header declares, and a reason a person can act on when it cannot be opened.
#pragma once

#include <string>

#include "media/FFmpeg.h"

namespace zv::media {

// Throws MediaError when a picture stream declares frames beyond FrameLimits.h.
void CheckDeclaredSizes(const AVFormatContext &input);

// Per-stream options that keep trial decoding within the frame limits; owns
// the dictionaries avformat_find_stream_info takes.
class StreamLimits {
 public:
  explicit StreamLimits(const AVFormatContext &input);
  ~StreamLimits();
  StreamLimits(const StreamLimits &) = delete;
  StreamLimits &operator=(const StreamLimits &) = delete;
  AVDictionary **Get() { return options_; }

 private:
  AVDictionary **options_ = nullptr;
  unsigned count_ = 0;
};

// Why avformat_open_input failed on path (err), without the file's name.
std::string OpenFailureText(const std::string &path, int err);
// Why a file whose format is known cannot be read further.
std::string DamageText(const AVFormatContext &input, int err);

}  // namespace zv::media
