// A host for the tests: answers the plug-in's callbacks from frames painted on
// demand, records every callback with its arguments, and fails any of them on
// request.
#pragma once

#include <HYPluginAPI.h>

#include "TestImages.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zv::test {

enum class Callback { NewPtrClear, DisposePtr, GetFrame, ReleaseFrame, MixAudio, GetFilterInfo, ReleaseFilterInfo, Blit };

struct CallRecord {
  Callback which;
  SInt32 frame = 0;                  // GetFrame
  SInt16 width = 0, height = 0;      // GetFrame
  SInt16 quality = 0;                // GetFrame
};

// Paints frame `index` of the clip into an image of the requested size.
using FramePainter = std::function<void(SInt32 index, GWorldPtr into)>;

class RecordingHost {
 public:
  explicit RecordingHost(PluginMainProc entry);
  ~RecordingHost();
  RecordingHost(const RecordingHost &) = delete;
  RecordingHost &operator=(const RecordingHost &) = delete;

  // The clip: frames 0..frameCount-1 (absolute), painted by painter.
  void SetClip(SInt32 frameCount, FramePainter painter) { frameCount_ = frameCount, painter_ = std::move(painter); }
  void SetFades(SInt32 in, SInt32 out) { filterInfo_.fadeInFrames = in, filterInfo_.fadeOutFrames = out; }
  // The output frame the plug-in draws into, and frameRect within it.
  void SetOutput(SInt16 width, SInt16 height) { SetOutput(width, height, Rect{0, 0, height, width}); }
  void SetOutput(SInt16 width, SInt16 height, Rect frameRect);

  // The next call of `which` fails with `result`; for NewPtrClear the n-th
  // following call (1 = the next) returns NULL.
  void FailCallback(Callback which, HYPluginResult result = kPluginFailed) { failures_[which] = result; }
  void FailNewPtrClearAt(int n);

  _PluginParams &Params() { return params_; }
  GWorldPtr Output() const { return output_->gw(); }
  HYPluginResult Send(HYPluginSelector selector) { return params_.selector = selector, entry_(0, &params_); }
  // kPlugInitialize, kPlugDoFrame for every frame, kPlugTerminate; stops at the
  // first frame that fails and returns its result.
  HYPluginResult RenderPass(SInt32 startFrame, SInt32 frameCount);
  HYPluginResult RenderFrame(SInt32 r) { return params_.renderFrame = r, Send(kPlugDoFrame); }

  const std::vector<CallRecord> &Calls() const { return calls_; }
  std::vector<CallRecord> CallsOf(Callback which) const;
  void ClearCalls() { calls_.clear(); }
  size_t OutstandingFrames() const { return delivered_.size(); }
  long LiveBlocks() const { return liveBlocks_; }
  bool FilterInfoOut() const { return filterInfoOut_; }

 private:
  friend struct Callbacks;
  // Records the call; true unless it is to fail, with the failure in `result`.
  bool Answer(const CallRecord &rec, HYPluginResult &result);

  PluginMainProc entry_;
  HYProcs procs_{};
  _PluginParams params_{};
  std::unique_ptr<Image> output_;
  SInt32 frameCount_ = 0;
  FramePainter painter_;
  _HYPluginFilterInfo filterInfo_{};
  bool filterInfoOut_ = false;
  std::map<Callback, HYPluginResult> failures_;
  std::map<SInt32, GWorldPtr> delivered_;
  SInt32 nextCookie_ = 1;
  std::vector<CallRecord> calls_;
  long liveBlocks_ = 0;
};

}  // namespace zv::test
