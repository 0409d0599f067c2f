#include "plugin/PluginDriver.h"

#include <cstring>
#include <memory>

#include "Failure.h"

namespace zv::host {

namespace {

// The output frame of a pass, disposed however the pass ends.
struct OutputFrame {
  GWorldPtr image = nullptr;
  OutputFrame(const std::string &clipName, int width, int height) {
    const Rect bounds = {0, 0, static_cast<short>(height), static_cast<short>(width)};
    if (NewGWorld(&image, 32, &bounds, nullptr, nullptr, 0) != noErr || !image)
      throw Failure(clipName + ": out of memory (ulimit -v?) for a " + std::to_string(width) + "x" +
                    std::to_string(height) + " frame");
  }
  ~OutputFrame() { DisposeGWorld(image); }
  void Clear() const {
    const media::ArgbView v = ViewOf(image);
    for (int y = 0; y < v.height; ++y) {
      std::uint8_t *p = v.Row(y);
      std::memset(p, 0, static_cast<std::size_t>(v.width) * 4);
      for (int x = 0; x < v.width; ++x) p[x * 4] = 255;  // opaque black
    }
  }
};

}  // namespace

const char *ResultName(HYPluginResult result) {
  switch (result) {
    case kPluginOK: return "kPluginOK";
    case kPluginUserCancelled: return "kPluginUserCancelled";
    case kPluginNoFrame: return "kPluginNoFrame";
    case kPluginBadParams: return "kPluginBadParams";
    case kPluginOutOfMemory: return "kPluginOutOfMemory";
    case kPluginIOError: return "kPluginIOError";
    case kPluginFailed: return "kPluginFailed";
    case kPluginAppIsTooOld: return "kPluginAppIsTooOld";
    default: return "an unknown result";
  }
}

_PluginParams PluginDriver::NewParams() const {
  _PluginParams p;
  std::memset(&p, 0, sizeof p);
  p.interfaceVersion = kHYInterfaceVersion;
  p.instance = &session_;
  p.procs = &HostSession::Procs();
  return p;
}

void PluginDriver::Expect(HYPluginResult result, const std::string &what) const {
  if (result == kPluginOK) return;
  // A frame that could not be read is the clip's fault, not the plug-in's.
  if (!session_.ReadError().empty()) throw Failure(session_.ReadError());
  if (result == kPluginOutOfMemory) throw Failure(session_.ClipName() + ": out of memory (ulimit -v?) at " + what);
  throw Failure("the plug-in answered " + what + " with " + ResultName(result) + " (" + std::to_string(result) +
                ")");
}

PluginDescription PluginDriver::Describe(SInt32 selectedFrames) {
  _PluginParams p = NewParams();
  p.selector = kPlugGetInfo;
  p.getInfo2.selectedFrames = selectedFrames;
  Expect(entry_(0, &p), "kPlugGetInfo");
  PluginDescription d;
  d.info = p.getInfo;
  d.info2 = p.getInfo2;
  d.info3 = p.getInfo3;
  // Every text is used as a C string: make sure each ends inside its buffer.
  for (auto &s : d.info2.filterSliders) {
    s.label[kHYLabelSize - 1] = s.minLabel[kHYLabelSize - 1] = s.maxLabel[kHYLabelSize - 1] = 0;
  }
  d.info2.group[kHYLabelSize - 1] = 0;
  d.info3.buttonTitle[kHYButtonTitleSize - 1] = 0;
  const float sliders[3] = {d.info2.filterSliders[0].defaultValue, d.info2.filterSliders[1].defaultValue,
                            d.info2.filterSliders[2].defaultValue};
  session_.SetSliderValues(sliders);
  return d;
}

void PluginDriver::RenderPass(const PassSpec &pass, const FrameSink &sink) {
  session_.ClearReadError();
  Describe(static_cast<SInt32>(pass.frames));
  OutputFrame out(session_.ClipName(), pass.width, pass.height);
  _PluginParams p = NewParams();
  p.startFrame = static_cast<SInt32>(pass.start);
  p.frameCount = static_cast<SInt32>(pass.frames);
  p.proxyOnly = pass.proxy;
  p.frameRect = {0, 0, static_cast<short>(pass.height), static_cast<short>(pass.width)};
  p.frame = out.image;
  p.clientData = nullptr;

  p.selector = kPlugInitialize;
  const HYPluginResult begun = entry_(0, &p);
  HYPluginResult failed = begun;
  std::string what = "kPlugInitialize";
  bool stopped = false;
  if (begun == kPluginOK) {
    const media::ArgbView view = ViewOf(out.image);
    out.Clear();  // the plug-in fills frameRect, the whole frame, every time
    const std::int64_t end = pass.end < 0 ? pass.frames : pass.end;
    for (std::int64_t r = pass.first; r < end; ++r) {
      session_.BeginFrame(r);
      p.selector = kPlugDoFrame;
      p.renderFrame = static_cast<SInt32>(r);
      const HYPluginResult result = entry_(0, &p);
      if (result != kPluginOK) {
        failed = result;
        what = "kPlugDoFrame for frame " + std::to_string(pass.start + r);
        break;
      }
      try {
        if (!sink(r, view, session_.FrameSound())) {
          stopped = true;
          break;
        }
      } catch (...) {
        p.selector = kPlugTerminate;
        entry_(0, &p);
        throw;
      }
    }
  }
  // The pass ends however it went, so the plug-in frees what it holds.
  p.selector = kPlugTerminate;
  const HYPluginResult ended = entry_(0, &p);
  Expect(failed, what);
  if (stopped) throw Failure("interrupted");
  Expect(ended, "kPlugTerminate");
}

void PluginDriver::Placeholder(std::int64_t clipFrames, std::int64_t at, const media::ArgbView &target) {
  session_.ClearReadError();
  Describe(static_cast<SInt32>(clipFrames));
  OutputFrame out(session_.ClipName(), target.width, target.height);
  out.Clear();
  _PluginParams p = NewParams();
  p.selector = kPlugFilePlaceHolder;
  p.getInfo.bestThumbOffset = static_cast<SInt32>(at);
  p.startFrame = 0;
  p.frameCount = static_cast<SInt32>(clipFrames);
  p.frameRect = {0, 0, static_cast<short>(target.height), static_cast<short>(target.width)};
  p.frame = out.image;
  Expect(entry_(0, &p), "kPlugFilePlaceHolder");
  // The plug-in does not pass on the frame's own result: a frame that could
  // not be read must not become a black picture reported as success.
  if (!session_.ReadError().empty()) throw Failure(session_.ReadError());
  const media::ArgbView from = ViewOf(out.image);
  for (int y = 0; y < target.height; ++y)
    std::memcpy(target.Row(y), from.Row(y), static_cast<std::size_t>(target.width) * 4);
}

void PluginDriver::PressButton(std::int64_t clipFrames, std::int64_t at, int width, int height) {
  session_.ClearReadError();
  Describe(static_cast<SInt32>(clipFrames));
  OutputFrame out(session_.ClipName(), width, height);
  out.Clear();
  _PluginParams p = NewParams();
  p.startFrame = 0;
  p.frameCount = static_cast<SInt32>(clipFrames);
  p.frameRect = {0, 0, static_cast<short>(height), static_cast<short>(width)};
  p.frame = out.image;
  p.clientData = nullptr;

  p.selector = kPlugInitialize;
  HYPluginResult result = entry_(0, &p);
  if (result == kPluginOK) {
    p.selector = kPlugDoFrame;
    p.renderFrame = static_cast<SInt32>(at);
    result = entry_(0, &p);
  }
  p.selector = kPlugTerminate;
  const HYPluginResult ended = entry_(0, &p);
  Expect(result, "the frame at the playhead (" + std::to_string(at) + ")");
  Expect(ended, "kPlugTerminate");

  p.selector = kPlugCustomButtonClick;
  p.renderFrame = static_cast<SInt32>(at);
  const HYPluginResult clicked = entry_(0, &p);
  // The plug-in shows its own alert (one line on standard error too) when OK
  // could not store the settings.
  if (clicked == kPluginFailed && session_.ReadError().empty()) throw ToldFailure();
  Expect(clicked, "kPlugCustomButtonClick");
}

}  // namespace zv::host
