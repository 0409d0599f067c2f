#include "cli/Clips.h"

#include "Failure.h"
#include "cli/Interrupt.h"
#include "media/DemoClip.h"
#include "media/StillClip.h"

namespace zv::host {

OpenedClip OpenClip(const Options &o) {
  OpenedClip c;
  if (!o.input) {
    c.clip = std::make_unique<media::DemoClip>();
    c.name = "demo clip";
    return c;
  }
  c.name = *o.input;
  auto reader = std::make_unique<media::ClipReader>(*o.input);
  if (reader->Info().frameCount == 1 && o.frames && *o.frames > 1) {
    c.clip = std::make_unique<media::StillClip>(std::move(reader), *o.frames);
  } else {
    c.reader = reader.get();
    c.clip = std::move(reader);
  }
  return c;
}

std::string LastFrameText(std::int64_t count) { return "the last frame (" + std::to_string(count - 1) + ")"; }

void StopIfInterrupted(const std::string &output) {
  if (Interrupted()) throw Failure(output + ": interrupted, nothing written");
}

}  // namespace zv::host
