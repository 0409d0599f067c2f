// The output types zorvane writes, found by the output's extension: the
// containers with their usual sound encoder, and the picture sequence.
#pragma once

#include <string>

#include "media/FFmpeg.h"

namespace zv::media {

struct Container {
  const char *extension;
  const char *format;
  const char *audioCodec;
  const AVOutputFormat *Format() const;  // throws MediaError when FFmpeg lacks it
};

// The output's extension, in lower case, with its dot.
std::string Extension(const std::string &path);

// True for the output names that write one picture per frame.
bool IsPictureSequence(const std::string &path);

// The container path's extension names; null for a picture sequence. Throws
// MediaError for an extension that is neither.
const Container *ContainerFor(const std::string &path);

// The encoder asked for, or the container's usual one (H.264 through libx264
// where there is one). Throws MediaError naming an unknown encoder.
const AVCodec *VideoCodecFor(const AVOutputFormat *format, const std::string &wanted);

}  // namespace zv::media
