#include "cli/Commands.h"

#include <new>
#include <optional>

#include "Failure.h"
#include "ZorvaneVersion.h"
#include "cli/Clips.h"
#include "cli/Interrupt.h"
#include "cli/SameFile.h"
#include "media/ClipWriter.h"
#include "media/DemoClip.h"
#include "media/FFmpeg.h"
#include "media/Pictures.h"
#include "plugin/PluginBundle.h"
#include "plugin/PluginDriver.h"
#include "plugin/StoredConfig.h"

#include <ToolkitBackend.h>

namespace zv::host {

namespace {

// The window toolkit for the dialog, stopped when the command ends however
// it ends.
class ToolkitSession {
 public:
  // A person gets a window on the screen; a script drives the same dialog.
  explicit ToolkitSession(const std::optional<std::string> &script, std::FILE *out) {
    if (script) {
      if (ZvToolkitStart("script", script->c_str(), out) != noErr)
        throw UsageError(*script + ": not a readable script file");
    } else if (ZvToolkitStart("sdl", nullptr, nullptr) != noErr) {
      throw Failure("no display to show the dialog on (set DISPLAY, or run a script with --script FILE)");
    }
  }
  ~ToolkitSession() {
    if (running_) ZvToolkitStop();
  }
  ToolkitSession(const ToolkitSession &) = delete;
  ToolkitSession &operator=(const ToolkitSession &) = delete;

  // Non-zero when the script failed.
  int Stop() {
    running_ = false;
    return ZvToolkitStop();
  }

 private:
  bool running_ = true;
};

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

int RunThumbnail(const Options &o, std::FILE *out) {
  InstallInterruptHandlers(*o.output);
  if (o.size) media::CheckOutputSize({.path = *o.output, .width = o.size->first, .height = o.size->second});
  PluginBundle bundle(FindBundle(o.plugin));
  OpenedClip c = OpenClip(o);
  const media::ClipInfo &info = c.clip->Info();
  if (o.at >= info.frameCount)
    throw Failure(c.name + ": --at " + std::to_string(o.at) + " is beyond " + LastFrameText(info.frameCount));
  const auto [width, height] = o.size.value_or(std::pair{info.width, info.height});
  if (o.input) RefuseReplacingInput(*o.input, *o.output);
  if (!o.size) media::CheckOutputSize({.path = *o.output, .width = width, .height = height});
  HostSession session(c.clip.get(), c.name);
  PluginDriver driver(bundle.Entry(), session);
  media::ArgbImage picture(width, height);
  driver.Placeholder(info.frameCount, o.at, picture.View());
  StopIfInterrupted(*o.output);
  media::WritePng(*o.output, picture.View());
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
  ToolkitSession toolkit(o.script, out);
  HostSession session(c.clip.get(), c.name);
  PluginDriver driver(bundle.Entry(), session);
  driver.PressButton(info.frameCount, o.frame, info.width, info.height);
  if (toolkit.Stop() != 0) throw Failure(o.script.value_or("the dialog") + ": the script failed");
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
  } catch (const media::MediaError &e) {
    std::fprintf(stderr, "zorvane: %s\n", e.Message().c_str());
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "zorvane: out of memory\n");
  } catch (const std::exception &e) {
    std::fprintf(stderr, "zorvane: %s\n", e.what());
  }
  return 1;
}

}  // namespace zv::host
