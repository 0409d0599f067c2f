// What the commands that run the plug-in over a clip share: opening the
// clip they name (or the demo clip) and the texts of their refusals.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cli/Options.h"
#include "media/Clip.h"
#include "media/ClipReader.h"

namespace zv::host {

struct OpenedClip {
  std::unique_ptr<media::Clip> clip;
  media::ClipReader *reader = nullptr;  // a file's reader, for its damage report
  std::string name;
};

// The input, or the demo clip without one; a one-frame input given --frames
// lasts that long. Throws MediaError naming the input.
OpenedClip OpenClip(const Options &o);

// "the last frame (N)" of a clip of count frames.
std::string LastFrameText(std::int64_t count);

// Throws Failure naming output when Ctrl-C or a signal stopped the work.
void StopIfInterrupted(const std::string &output);

}  // namespace zv::host
