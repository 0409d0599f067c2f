#include "cli/Commands.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "Failure.h"
#include "ZorvaneVersion.h"
#include "cli/Interrupt.h"
#include "cli/Parts.h"
#include "cli/Progress.h"
#include "cli/SameFile.h"
#include "media/ClipReader.h"
#include "media/ClipWriter.h"
#include "media/Containers.h"
#include "media/DemoClip.h"
#include "media/FFmpeg.h"
#include "media/Pictures.h"
#include "media/StillClip.h"
#include "plugin/PluginBundle.h"
#include "plugin/PluginDriver.h"
#include "plugin/StoredConfig.h"

#include <ToolkitBackend.h>

namespace zv::host {

namespace {

struct OpenedClip {
  std::unique_ptr<media::Clip> clip;
  media::ClipReader *reader = nullptr;  // a file's reader, for its damage report
  std::string name;
};

OpenedClip OpenClip(const Options &o) {
  OpenedClip c;
  if (!o.input) {
    c.clip = std::make_unique<media::DemoClip>();
    c.name = "demo clip";
    return c;
  }
  c.name = *o.input;
  try {
    auto reader = std::make_unique<media::ClipReader>(*o.input);
    c.reader = reader.get();
    if (reader->Info().frameCount == 1 && o.frames && *o.frames > 1) {
      c.clip = std::make_unique<media::StillClip>(std::move(reader), *o.frames);
      c.reader = nullptr;
    } else {
      c.clip = std::move(reader);
    }
  } catch (const media::MediaError &e) {
    throw Failure(c.name + ": " + e.what());
  }
  return c;
}

std::string DefaultOutput(const Options &o) {
  const std::string stem = o.input ? "zorvane-out" : "demo";
  if (!o.part) return stem + ".mp4";
  return stem + "-part" + std::to_string(o.part->first) + "of" + std::to_string(o.part->second) + ".mp4";
}

std::string LastFrameText(std::int64_t count) { return "the last frame (" + std::to_string(count - 1) + ")"; }

// The output's encoder must take the size before any work is done for it.
void CheckOutputSize(const std::string &output, int width, int height, const std::string &vcodec) {
  try {
    media::CheckOutputSize({output, width, height, {30, 1}, vcodec});
  } catch (const media::MediaError &e) {
    throw Failure(output + ": " + e.what());
  }
}

void StopIfInterrupted(const std::string &output) {
  if (Interrupted()) throw Failure(output + ": interrupted, nothing written");
}

// One frame before and after the effect, side by side.
void WriteBeforeAfter(const std::string &path, media::Clip &clip, std::int64_t frame,
                      const media::ArgbImage &after) {
  media::ArgbImage before(after.width, after.height);
  clip.ReadFrame(frame, before.View(), media::Quality::High);
  media::ArgbImage both(after.width * 2, after.height);
  for (int y = 0; y < after.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(after.width) * 4;
    std::memcpy(both.View().Row(y), before.pixels.data() + y * row, row);
    std::memcpy(both.View().Row(y) + row, after.pixels.data() + y * row, row);
  }
  media::WritePng(path, both.View());
}

}  // namespace

int RunInfo(const Options &o, std::FILE *out) {
  PluginBundle bundle(FindBundle(o.plugin));
  HostSession session(nullptr);
  PluginDriver driver(bundle.Entry(), session);
  const PluginDescription d = driver.Describe(media::DemoClip::kFrames);

  std::fprintf(out, "Plug-in %s\n", bundle.Path().c_str());
  std::fprintf(out, "  filter type       %d%s\n", static_cast<int>(d.info.pluginType),
               d.info.pluginType == kPluginFilterType ? " (filter)" : "");
  std::fprintf(out, "  flags             0x%X\n", static_cast<unsigned>(d.info.pluginFlags));
  std::fprintf(out, "  group             %s\n", d.info2.group);
  std::fprintf(out, "  button title      %s\n", d.info3.buttonTitle);
  for (int i = 0; i < 3; ++i) {
    const _HYPluginFilterSliderInfo &s = d.info2.filterSliders[i];
    std::fprintf(out, "  slider %d          %s (from \"%s\" to \"%s\", default %.2f)\n", i + 1, s.label, s.minLabel,
                 s.maxLabel, s.defaultValue);
  }
  std::fprintf(out, "  memory needed     %d bytes\n", static_cast<int>(d.info2.baseMemoryNeeded));

  const StoredConfigReport stored = ReadStoredConfig();
  if (stored.config) {
    std::fprintf(out, "Stored configuration %s ('Pref' 1)\n%s", stored.path.c_str(),
                 FormatStoredConfig(*stored.config).c_str());
  } else if (!stored.problem.empty()) {
    std::fprintf(out, "Stored configuration %s: stored configuration unreadable: %s\n", stored.path.c_str(),
                 stored.problem.c_str());
  } else {
    std::fprintf(out, "Stored configuration %s: no stored configuration\n", stored.path.c_str());
  }
  return 0;
}

int RunRender(const Options &o, std::FILE *out) {
  const std::string output = o.output.value_or(DefaultOutput(o));
  InstallInterruptHandlers(output);
  if (o.size) CheckOutputSize(output, o.size->first, o.size->second, o.vcodec);
  PluginBundle bundle(FindBundle(o.plugin));
  OpenedClip c = OpenClip(o);
  const media::ClipInfo &info = c.clip->Info();
  const std::int64_t count = info.frameCount;
  if (o.start >= count)
    throw Failure(c.name + ": --start " + std::to_string(o.start) + " is beyond " + LastFrameText(count));
  const std::int64_t n = o.frames.value_or(count - o.start);
  if (o.start + n > count)
    throw Failure(c.name + ": --start " + std::to_string(o.start) + " with --frames " + std::to_string(n) +
                  " runs past " + LastFrameText(count));
  const auto [width, height] = o.size.value_or(std::pair{info.width, info.height});
  if (o.part && o.part->second > n)
    throw UsageError("--part " + std::to_string(o.part->first) + "/" + std::to_string(o.part->second) +
                     ": the pass has only " + std::to_string(n) + " frames");
  const bool sequence = media::IsPictureSequence(output);
  if (o.input) RefuseReplacingInput(*o.input, output, sequence ? n : 0);
  // Frames past the damage do not decode: a pass that reaches it writes nothing.
  const auto refuseDamage = [&] {
    if (c.reader && !c.reader->Damage().empty() && o.start + n >= count)
      throw Failure(c.name + ": " + c.reader->Damage() + "; nothing written");
  };
  refuseDamage();
  // A proxy pass mixes no sound; pictures carry none; parts are video only
  // (join adds the pass's sound in one piece).
  const bool sound = info.sampleRate > 0 && !o.proxy && !sequence && !o.part;
  StopIfInterrupted(output);

  HostSession session(c.clip.get(), c.name);
  session.SetFades(static_cast<SInt32>(o.fadeIn), static_cast<SInt32>(o.fadeOut));
  if (sound) session.SetOutputSound(info.frameRate, info.sampleRate, info.channels);
  PluginDriver driver(bundle.Entry(), session);

  std::unique_ptr<media::ClipWriter> writer;
  PassSpec pass{o.start, n, width, height, o.proxy};
  try {
    const media::WriterSettings settings{output, width, height, info.frameRate, o.vcodec,
                                         sound ? info.sampleRate : 0, sound ? info.channels : 0};
    media::WriterExtras extras;
    if (o.part) {
      driver.Describe(static_cast<SInt32>(n));  // the plug-in's first call settles its stored configuration
      const PartInfo part = PartOfPass(o, info, n, width, height, media::VideoEncoderFacts(settings));
      extras.comment = part.Format();
      pass.first = part.First();
      pass.end = part.End();
    }
    writer = media::OpenClipWriter(settings, extras);
  } catch (const media::MediaError &e) {
    throw Failure(output + ": " + e.what());
  }

  const std::int64_t rendered = pass.end < 0 ? n : pass.end - pass.first;
  Progress progress(rendered, !o.quiet && isatty(STDERR_FILENO));
  const std::int64_t shown = n / 2;  // the frame of the before-and-after picture
  media::ArgbImage after;

  try {
    driver.RenderPass(pass, [&](std::int64_t r, const media::ArgbView &frame, const media::AudioBlock *samples) {
      writer->WriteFrame(frame);
      if (samples) writer->WriteAudio(*samples);
      if (!o.input && !o.part && r == shown) {
        after = media::ArgbImage(frame.width, frame.height);
        for (int y = 0; y < frame.height; ++y)
          std::memcpy(after.View().Row(y), frame.Row(y), static_cast<std::size_t>(frame.width) * 4);
      }
      progress.Update(r - pass.first + 1);
      return !Interrupted();
    });
  } catch (const media::MediaError &e) {
    progress.Finish();
    throw Failure(output + ": " + e.what());
  } catch (const Failure &f) {
    progress.Finish();
    if (Interrupted()) throw Failure(output + ": interrupted, nothing written");
    throw;
  }
  progress.Finish();
  refuseDamage();
  StopIfInterrupted(output);
  try {
    writer->Finish();
  } catch (const media::MediaError &e) {
    throw Failure(output + ": " + e.what());
  }

  std::string extra;
  if (o.part) extra = ", part " + std::to_string(o.part->first) + " of " + std::to_string(o.part->second);
  if (!o.input && !o.part) {
    const std::string picture =
        (std::filesystem::path(output).parent_path() / "demo-before-after.png").string();
    try {
      WriteBeforeAfter(picture, *c.clip, o.start + shown, after);
    } catch (const media::MediaError &e) {
      throw Failure(picture + ": " + e.what());
    }
    extra = " and " + picture;
  }
  if (o.quiet) return 0;
  if (sequence)
    std::fprintf(out, "wrote %s%s%s (%lld pictures of %dx%d, png)%s\n", media::SequenceFileName(output, 0).c_str(),
                 n > 1 ? " to " : "", n > 1 ? media::SequenceFileName(output, n - 1).c_str() : "",
                 static_cast<long long>(n), width, height, extra.c_str());
  else
    std::fprintf(out, "wrote %s (%lld frames of %dx%d, %s%s)%s\n", output.c_str(), static_cast<long long>(rendered),
                 width, height, writer->VideoCodecName().c_str(), sound ? ", with sound" : "", extra.c_str());
  return 0;
}

int RunThumbnail(const Options &o, std::FILE *out) {
  InstallInterruptHandlers(*o.output);
  if (o.size) CheckOutputSize(*o.output, o.size->first, o.size->second, "");
  PluginBundle bundle(FindBundle(o.plugin));
  OpenedClip c = OpenClip(o);
  const media::ClipInfo &info = c.clip->Info();
  if (o.at >= info.frameCount)
    throw Failure(c.name + ": --at " + std::to_string(o.at) + " is beyond " + LastFrameText(info.frameCount));
  const auto [width, height] = o.size.value_or(std::pair{info.width, info.height});
  if (o.input) RefuseReplacingInput(*o.input, *o.output);
  if (!o.size) CheckOutputSize(*o.output, width, height, "");
  HostSession session(c.clip.get(), c.name);
  PluginDriver driver(bundle.Entry(), session);
  media::ArgbImage picture(width, height);
  driver.Placeholder(info.frameCount, o.at, picture.View());
  StopIfInterrupted(*o.output);
  try {
    media::WritePng(*o.output, picture.View());
  } catch (const media::MediaError &e) {
    throw Failure(*o.output + ": " + e.what());
  }
  if (!o.quiet) std::fprintf(out, "wrote %s (frame %lld, %dx%d)\n", o.output->c_str(), static_cast<long long>(o.at),
                             width, height);
  return 0;
}

int RunConfigure(const Options &o, std::FILE *out) {
  PluginBundle bundle(FindBundle(o.plugin));
  OpenedClip c = OpenClip(o);
  const media::ClipInfo &info = c.clip->Info();
  if (o.frame >= info.frameCount)
    throw Failure(c.name + ": --frame " + std::to_string(o.frame) + " is beyond " + LastFrameText(info.frameCount));
  // A person gets a window on the screen; a script drives the same dialog.
  if (o.script) {
    if (ZvToolkitStart("script", o.script->c_str(), out) != noErr)
      throw UsageError(*o.script + ": not a readable script file");
  } else if (ZvToolkitStart("sdl", nullptr, nullptr) != noErr) {
    throw Failure("no display to show the dialog on (set DISPLAY, or run a script with --script FILE)");
  }
  HostSession session(c.clip.get(), c.name);
  PluginDriver driver(bundle.Entry(), session);
  try {
    driver.PressButton(info.frameCount, o.frame, info.width, info.height);
  } catch (...) {
    ZvToolkitStop();
    throw;
  }
  if (ZvToolkitStop() != 0) throw Failure(o.script.value_or("the dialog") + ": the script failed");
  return 0;
}

int RunVersion(const Options &, std::FILE *out) {
  std::fprintf(out, "zorvane %s\n", ZORVANE_VERSION);
  return 0;
}

int RunZorvane(int argc, char **argv) {
  media::QuietFFmpegLog();
  try {
    const Options o = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!o.command) {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    return o.command->run(o, stdout);
  } catch (const Failure &f) {
    if (*f.what())
      std::fprintf(stderr, "zorvane: %s%s\n", f.what(), f.ExitStatus() == 2 ? " (zorvane --help shows the usage)" : "");
    return f.ExitStatus();
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "zorvane: out of memory\n");
  } catch (const std::exception &e) {
    std::fprintf(stderr, "zorvane: %s\n", e.what());
  }
  return 1;
}

}  // namespace zv::host
