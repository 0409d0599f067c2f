// A host for the tests: answers the plug-in's callbacks from frames painted on
// demand, records every callback with its arguments, and fails any of them on
// request.
#pragma once

#include <HYPluginAPI.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zv::test {

enum class Callback { NewPtrClear, DisposePtr, GetFrame, ReleaseFrame, MixAudio, GetFilterInfo, ReleaseFilterInfo, Blit };

struct CallRecord {
  Callback which;
  SInt32 frame = 0;    // GetFrame
  SInt16 width = 0;    // GetFrame
  SInt16 height = 0;   // GetFrame
  SInt16 quality = 0;  // GetFrame
  SInt32 cookie = 0;   // GetFrame, ReleaseFrame, MixAudio
  SInt32 volume = 0;   // MixAudio
  SInt16 opacity = 0;  // Blit
  Size size = 0;       // NewPtrClear
  HYPluginResult result = kPluginOK;
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
  void SetClip(SInt32 frameCount, FramePainter painter);
  void SetFades(SInt32 fadeIn, SInt32 fadeOut);
  // The output frame the plug-in draws into, and frameRect within it.
  void SetOutput(SInt16 width, SInt16 height);
  void SetOutput(SInt16 width, SInt16 height, Rect frameRect);

  // The next call of `which` fails with `result`; for NewPtrClear the n-th
  // following call (1 = the next) returns NULL.
  void FailCallback(Callback which, HYPluginResult result = kPluginFailed);
  void FailNewPtrClearAt(int n);

  _PluginParams &Params() { return params_; }
  GWorldPtr Output() const { return output_; }
  HYPluginResult Send(HYPluginSelector selector);
  // kPlugInitialize, kPlugDoFrame for every frame, kPlugTerminate; stops at the
  // first frame that fails and returns its result.
  HYPluginResult RenderPass(SInt32 startFrame, SInt32 frameCount);
  HYPluginResult RenderFrame(SInt32 renderFrame);

  const std::vector<CallRecord> &Calls() const { return calls_; }
  std::vector<CallRecord> CallsOf(Callback which) const;
  void ClearCalls() { calls_.clear(); }
  size_t OutstandingFrames() const { return delivered_.size(); }
  long LiveBlocks() const { return liveBlocks_; }
  bool FilterInfoOut() const { return filterInfoOut_; }

 private:
  static RecordingHost *From(void *instance) { return static_cast<RecordingHost *>(instance); }
  static Ptr CbNewPtrClear(Size size);
  static void CbDisposePtr(Ptr p);
  static HYPluginResult CbGetFrame(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width,
                                   SInt16 height, HYRefDVQuality quality, SInt16 *outVolume, SInt32 *outCookie);
  static HYPluginResult CbReleaseFrame(void *instance, SInt32 cookie);
  static HYPluginResult CbMixAudio(void *instance, SInt32 cookie, SInt32 volume);
  static HYPluginResult CbGetFilterInfo(void *instance, _HYPluginFilterInfo **outInfo);
  static void CbReleaseFilterInfo(void *instance, _HYPluginFilterInfo *info);
  static HYPluginResult CbBlit(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                               SInt16 opacity);
  bool TakeFailure(Callback which, HYPluginResult &result);
  // Records the call and answers it: kPluginOK, or the failure asked for.
  HYPluginResult Answer(CallRecord rec);

  PluginMainProc entry_;
  HYProcs procs_{};
  _PluginParams params_{};
  GWorldPtr output_ = nullptr;
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
