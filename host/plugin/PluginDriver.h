// Plays the video editor's part towards the plug-in: the description request,
// a render pass over a range of a clip, and the one-frame placeholder render.
#pragma once

#include <HYPluginAPI.h>

#include <functional>
#include <string>

#include "media/Clip.h"
#include "plugin/HostSession.h"

namespace zv::host {

// What kPlugGetInfo told the host.
struct PluginDescription {
  _HYPluginGetInfo info{};
  _HY2PluginGetInfo info2{};
  _HY3PluginGetInfo info3{};
};

struct PassSpec {
  std::int64_t start = 0;   // the clip's frame the pass begins with
  std::int64_t frames = 0;  // frames in the pass
  int width = 0;            // output frame size
  int height = 0;
  bool proxy = false;
  // The frames of the pass to render, [first, end); end -1: to the pass's
  // end. The plug-in still sees the whole pass, so a part matches it exactly.
  std::int64_t first = 0;
  std::int64_t end = -1;
};

// Called with each finished frame (its sound is null without output sound);
// returns false to stop the pass.
using FrameSink = std::function<bool(std::int64_t r, const media::ArgbView &frame, const media::AudioBlock *sound)>;

const char *ResultName(HYPluginResult result);

class PluginDriver {
 public:
  PluginDriver(PluginMainProc entry, HostSession &session) : entry_(entry), session_(session) {}

  // kPlugGetInfo with selectedFrames; throws Failure on a refusal.
  PluginDescription Describe(SInt32 selectedFrames);
  // kPlugGetInfo, kPlugInitialize, kPlugDoFrame for every frame, kPlugTerminate.
  // Throws Failure on a plug-in result other than kPluginOK (naming it, or the
  // reading failure behind it) and when the sink stops the pass.
  void RenderPass(const PassSpec &pass, const FrameSink &sink);
  // kPlugGetInfo, then kPlugFilePlaceHolder for clip frame `at` into target.
  void Placeholder(std::int64_t clipFrames, std::int64_t at, const media::ArgbView &target);
  // What an editor does when the effect's button is pressed with the playhead
  // on clip frame `at`: shows that frame through the plug-in (a pass over the
  // whole clip rendering only it), then sends kPlugCustomButtonClick, which
  // returns when the plug-in's dialog has closed.
  void PressButton(std::int64_t clipFrames, std::int64_t at, int width, int height);

 private:
  _PluginParams NewParams() const;
  void Expect(HYPluginResult result, const std::string &what) const;

  PluginMainProc entry_;
  HostSession &session_;
};

}  // namespace zv::host
