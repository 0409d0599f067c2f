// zorvane render: planning the pass (every refusal before the plug-in
// runs), running it into the writer, and reporting what was written.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "Failure.h"
#include "cli/Clips.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/PartStamp.h"
#include "cli/Parts.h"
#include "cli/Progress.h"
#include "cli/SameFile.h"
#include "media/ClipWriter.h"
#include "media/Containers.h"
#include "media/Pictures.h"
#include "plugin/PluginBundle.h"
#include "plugin/PluginDriver.h"

namespace zv::host {

namespace {

struct RenderPlan {
  std::string output;
  OpenedClip clip;
  std::int64_t frames = 0;  // in the pass
  int width = 0, height = 0;
  bool sequence = false;  // one picture per frame
  bool sound = false;
  PassSpec pass{};
  PartInfo part{};  // of a --part pass
  std::int64_t Rendered() const { return pass.end < 0 ? frames : pass.end - pass.first; }
};

struct RenderDone {
  std::string codec;
  media::ArgbImage after;  // the demo's frame after the effect
};

std::string DefaultOutput(const Options &o) {
  const std::string stem = o.input ? "zorvane-out" : "demo";
  if (!o.part) return stem + ".mp4";
  return stem + "-part" + std::to_string(o.part->first) + "of" + std::to_string(o.part->second) + ".mp4";
}

// Frames past the damage do not decode: a pass asked to run past the last
// frame that decodes, or left to run to the clip's end, writes nothing.
void RefuseDamage(const Options &o, const RenderPlan &p) {
  const OpenedClip &c = p.clip;
  const std::int64_t end = o.start + p.frames, count = c.clip->Info().frameCount;
  if (c.reader && !c.reader->Damage().empty() && (end > count || (!o.frames && end == count)))
    throw Failure(c.name + ": " + c.reader->Damage() + "; nothing written");
}

RenderPlan PlanRender(const Options &o, const std::string &output) {
  RenderPlan p{.output = output, .clip = OpenClip(o)};
  const media::ClipInfo &info = p.clip.clip->Info();
  const std::int64_t count = info.frameCount;
  const std::string &name = p.clip.name;
  if (o.start >= count) throw Failure(name + ": --start " + std::to_string(o.start) + " is beyond " + LastFrameText(count));
  p.frames = o.frames.value_or(count - o.start);
  RefuseDamage(o, p);
  if (o.start + p.frames > count)
    throw Failure(name + ": --start " + std::to_string(o.start) + " with --frames " + std::to_string(p.frames) +
                  " runs past " + LastFrameText(count));
  std::tie(p.width, p.height) = o.size.value_or(std::pair{info.width, info.height});
  if (o.part && o.part->second > p.frames)
    throw UsageError("--part " + std::to_string(o.part->first) + "/" + std::to_string(o.part->second) +
                     ": the pass has only " + std::to_string(p.frames) + " frames");
  p.sequence = media::IsPictureSequence(output);
  if (o.input) RefuseReplacingInput(*o.input, output, p.sequence ? p.frames : 0);
  // A proxy pass mixes no sound; pictures carry none; parts are video only
  // (join adds the pass's sound in one piece).
  p.sound = info.sampleRate > 0 && !o.proxy && !p.sequence && !o.part;
  p.pass = {o.start, p.frames, p.width, p.height, o.proxy};
  return p;
}

std::unique_ptr<media::ClipWriter> OpenWriter(const Options &o, RenderPlan &p, PluginDriver &driver) {
  const media::ClipInfo &info = p.clip.clip->Info();
  const media::WriterSettings settings{p.output, p.width, p.height, info.frameRate, o.vcodec,
                                       p.sound ? info.sampleRate : 0, p.sound ? info.channels : 0};
  media::WriterExtras extras;
  if (o.part) {
    driver.Describe(static_cast<SInt32>(p.frames));  // the plug-in's first call settles its stored configuration
    p.part = PartOfPass(o, info, p.frames, p.width, p.height, media::VideoEncoderFacts(settings));
    extras.comment = p.part.Format();
    p.pass.first = p.part.First();
    p.pass.end = p.part.End();
  }
  return media::OpenClipWriter(settings, extras);
}

RenderDone RunPass(const Options &o, RenderPlan &p, const PluginBundle &bundle) {
  const media::ClipInfo &info = p.clip.clip->Info();
  HostSession session(p.clip.clip.get(), p.clip.name);
  session.SetFades(static_cast<SInt32>(o.fadeIn), static_cast<SInt32>(o.fadeOut));
  if (p.sound) session.SetOutputSound(info.frameRate, info.sampleRate, info.channels);
  PluginDriver driver(bundle.Entry(), session);
  const std::unique_ptr<media::ClipWriter> writer = OpenWriter(o, p, driver);
  RenderDone done;
  const std::int64_t shown = p.frames / 2;  // the frame of the before-and-after picture
  try {
    Progress progress(p.Rendered(), !o.quiet && isatty(STDERR_FILENO));
    driver.RenderPass(p.pass, [&](std::int64_t r, const media::ArgbView &frame, const media::AudioBlock *samples) {
      writer->WriteFrame(frame);
      if (samples) writer->WriteAudio(*samples);
      if (!o.input && !o.part && r == shown) {
        done.after = media::ArgbImage(frame.width, frame.height);
        for (int y = 0; y < frame.height; ++y)
          std::memcpy(done.after.View().Row(y), frame.Row(y), static_cast<std::size_t>(frame.width) * 4);
      }
      progress.Update(r - p.pass.first + 1);
      return !Interrupted();
    });
  } catch (const Failure &) {
    StopIfInterrupted(p.output);  // the driver's "interrupted", said of the output
    throw;
  }
  RefuseDamage(o, p);
  StopIfInterrupted(p.output);
  writer->Finish();
  done.codec = writer->VideoCodecName();
  if (o.part) {
    try {
      StampPart(p.output, p.part);
    } catch (...) {
      std::filesystem::remove(p.output);  // a part that cannot prove its frames is no part
      throw;
    }
  }
  return done;
}

// One frame before and after the effect, side by side, beside the output.
std::string WriteBeforeAfter(const RenderPlan &p, std::int64_t frame, const media::ArgbImage &after) {
  const std::string path = (std::filesystem::path(p.output).parent_path() / "demo-before-after.png").string();
  media::ArgbImage before(after.width, after.height);
  p.clip.clip->ReadFrame(frame, before.View(), media::Quality::High);
  media::ArgbImage both(after.width * 2, after.height);
  const std::size_t row = static_cast<std::size_t>(after.width) * 4;
  for (int y = 0; y < after.height; ++y) {
    std::memcpy(both.View().Row(y), before.pixels.data() + y * row, row);
    std::memcpy(both.View().Row(y) + row, after.pixels.data() + y * row, row);
  }
  media::WritePng(path, both.View());
  return path;
}

void Report(const Options &o, const RenderPlan &p, const RenderDone &done, const std::string &extra,
            std::FILE *out) {
  if (o.quiet) return;
  const long long n = p.frames;
  if (p.sequence)
    std::fprintf(out, "wrote %s%s%s (%lld pictures of %dx%d, png)%s\n", media::SequenceFileName(p.output, 0).c_str(),
                 n > 1 ? " to " : "", n > 1 ? media::SequenceFileName(p.output, n - 1).c_str() : "", n, p.width,
                 p.height, extra.c_str());
  else
    std::fprintf(out, "wrote %s (%lld frames of %dx%d, %s%s)%s\n", p.output.c_str(),
                 static_cast<long long>(p.Rendered()), p.width, p.height, done.codec.c_str(),
                 p.sound ? ", with sound" : "", extra.c_str());
}

}  // namespace

int RunRender(const Options &o, std::FILE *out) {
  const std::string output = o.output.value_or(DefaultOutput(o));
  InstallInterruptHandlers(output);
  if (o.size) media::CheckOutputSize({output, o.size->first, o.size->second, {30, 1}, o.vcodec});
  PluginBundle bundle(FindBundle(o.plugin));
  RenderPlan plan = PlanRender(o, output);
  StopIfInterrupted(output);
  const RenderDone done = RunPass(o, plan, bundle);
  std::string extra;
  if (o.part) extra = ", part " + std::to_string(o.part->first) + " of " + std::to_string(o.part->second);
  if (!o.input && !o.part) extra = " and " + WriteBeforeAfter(plan, o.start + plan.frames / 2, done.after);
  Report(o, plan, done, extra, out);
  return 0;
}

}  // namespace zv::host
