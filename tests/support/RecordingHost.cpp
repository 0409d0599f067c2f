#include "RecordingHost.h"

#include <MacMemory.h>

#include <stdexcept>

#include "Blit.h"

namespace zv::test {

namespace {
RecordingHost *gHost = nullptr;
int gNewPtrCountdown = 0;
}  // namespace

// The callbacks the plug-in calls; NewPtrClear, DisposePtr and Blit carry no
// instance and reach the host alive now.
struct Callbacks {
  static Ptr NewPtrClear(Size size) {
    if (gHost) gHost->calls_.push_back(CallRecord{Callback::NewPtrClear});
    if (gNewPtrCountdown > 0 && --gNewPtrCountdown == 0) return nullptr;
    Ptr p = ::NewPtrClear(size);
    if (p && gHost) ++gHost->liveBlocks_;
    return p;
  }

  static void DisposePtr(Ptr p) {
    if (gHost) {
      gHost->calls_.push_back(CallRecord{Callback::DisposePtr});
      if (p) --gHost->liveBlocks_;
    }
    ::DisposePtr(p);
  }

  static HYPluginResult GetFrame(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width, SInt16 height,
                                 HYRefDVQuality quality, SInt16 *outVolume, SInt32 *outCookie) {
    RecordingHost *host = static_cast<RecordingHost *>(instance);
    *outImage = nullptr;
    *outCookie = 0;
    if (outVolume) *outVolume = 256;
    HYPluginResult result;
    if (!host->Answer({Callback::GetFrame, frameIndex, width, height, static_cast<SInt16>(quality)}, result))
      return result;
    const Rect bounds{0, 0, height, width};
    GWorldPtr gw = nullptr;
    if (frameIndex < 0 || frameIndex >= host->frameCount_) return kPluginNoFrame;
    if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr) return kPluginOutOfMemory;
    if (host->painter_) host->painter_(frameIndex, gw);
    *outCookie = host->nextCookie_++;
    host->delivered_[*outCookie] = *outImage = gw;
    return kPluginOK;
  }

  static HYPluginResult ReleaseFrame(void *instance, SInt32 cookie) {
    RecordingHost *host = static_cast<RecordingHost *>(instance);
    if (auto it = host->delivered_.find(cookie); it != host->delivered_.end()) {
      DisposeGWorld(it->second);
      host->delivered_.erase(it);
    }
    HYPluginResult result;
    host->Answer({Callback::ReleaseFrame}, result);
    return result;
  }

  static HYPluginResult MixAudio(void *instance, SInt32, SInt32) {
    HYPluginResult result;
    static_cast<RecordingHost *>(instance)->Answer({Callback::MixAudio}, result);
    return result;
  }

  static HYPluginResult GetFilterInfo(void *instance, _HYPluginFilterInfo **outInfo) {
    RecordingHost *host = static_cast<RecordingHost *>(instance);
    HYPluginResult result;
    const bool given = host->Answer({Callback::GetFilterInfo}, result);
    *outInfo = given ? &host->filterInfo_ : nullptr;
    host->filterInfoOut_ |= given;
    return result;
  }

  static void ReleaseFilterInfo(void *instance, _HYPluginFilterInfo *) {
    static_cast<RecordingHost *>(instance)->filterInfoOut_ = false;
    static_cast<RecordingHost *>(instance)->calls_.push_back(CallRecord{Callback::ReleaseFilterInfo});
  }

  static HYPluginResult Blit(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                             SInt16 opacity) {
    HYPluginResult result = kPluginOK;
    if (!gHost || gHost->Answer({Callback::Blit}, result))
      result = zv::blend::BlitPixMaps(src, dst, srcRect, dstRect, opacity);
    return result;
  }
};

RecordingHost::RecordingHost(PluginMainProc entry) : entry_(entry) {
  if (gHost) throw std::logic_error("one RecordingHost at a time");
  gHost = this;
  gNewPtrCountdown = 0;
  using C = Callbacks;
  procs_ = {C::NewPtrClear, C::DisposePtr,    C::GetFrame,          C::ReleaseFrame,
            C::MixAudio,    C::GetFilterInfo, C::ReleaseFilterInfo, C::Blit};
  params_.interfaceVersion = kHYInterfaceVersion;
  params_.instance = this;
  params_.procs = &procs_;
  SetOutput(64, 48);
}

RecordingHost::~RecordingHost() {
  for (auto &[cookie, gw] : delivered_) DisposeGWorld(gw);
  gHost = nullptr;
}

void RecordingHost::SetOutput(SInt16 width, SInt16 height, Rect frameRect) {
  output_ = std::make_unique<Image>(width, height);
  params_.frame = output_->gw();
  params_.frameRect = frameRect;
}

void RecordingHost::FailNewPtrClearAt(int n) { gNewPtrCountdown = n; }

bool RecordingHost::Answer(const CallRecord &rec, HYPluginResult &result) {
  calls_.push_back(rec);
  result = kPluginOK;
  auto it = failures_.find(rec.which);
  if (it == failures_.end()) return true;
  result = it->second;
  failures_.erase(it);
  return false;
}

std::vector<CallRecord> RecordingHost::CallsOf(Callback which) const {
  std::vector<CallRecord> out;
  for (const auto &c : calls_)
    if (c.which == which) out.push_back(c);
  return out;
}

HYPluginResult RecordingHost::RenderPass(SInt32 startFrame, SInt32 frameCount) {
  params_.clientData = nullptr;
  params_.startFrame = startFrame;
  params_.frameCount = frameCount;
  params_.renderFrame = 0;
  HYPluginResult result = Send(kPlugInitialize);
  for (SInt32 r = 0; r < frameCount && result == kPluginOK; ++r) result = RenderFrame(r);
  const HYPluginResult ended = Send(kPlugTerminate);
  return result == kPluginOK ? ended : result;
}

}  // namespace zv::test
