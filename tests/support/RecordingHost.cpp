#include "RecordingHost.h"

#include "Blit.h"

#include <MacMemory.h>

#include <stdexcept>

namespace zv::test {

namespace {
// NewPtrClear, DisposePtr and Blit carry no instance: they reach the host alive now.
RecordingHost *gHost = nullptr;
int gNewPtrCountdown = 0;
}  // namespace

RecordingHost::RecordingHost(PluginMainProc entry) : entry_(entry) {
  if (gHost) throw std::logic_error("one RecordingHost at a time");
  gHost = this;
  gNewPtrCountdown = 0;
  procs_ = {CbNewPtrClear, CbDisposePtr, CbGetFrame, CbReleaseFrame, CbMixAudio, CbGetFilterInfo, CbReleaseFilterInfo,
            CbBlit};
  params_.interfaceVersion = kHYInterfaceVersion;
  params_.instance = this;
  params_.procs = &procs_;
  SetOutput(64, 48);
}

RecordingHost::~RecordingHost() {
  for (auto &[cookie, gw] : delivered_) DisposeGWorld(gw);
  if (output_) DisposeGWorld(output_);
  gHost = nullptr;
}

void RecordingHost::SetClip(SInt32 frameCount, FramePainter painter) {
  frameCount_ = frameCount;
  painter_ = std::move(painter);
}

void RecordingHost::SetFades(SInt32 fadeIn, SInt32 fadeOut) {
  filterInfo_.fadeInFrames = fadeIn;
  filterInfo_.fadeOutFrames = fadeOut;
}

void RecordingHost::SetOutput(SInt16 width, SInt16 height) { SetOutput(width, height, Rect{0, 0, height, width}); }

void RecordingHost::SetOutput(SInt16 width, SInt16 height, Rect frameRect) {
  if (output_) DisposeGWorld(output_);
  Rect bounds{0, 0, height, width};
  output_ = nullptr;
  if (NewGWorld(&output_, 32, &bounds, nullptr, nullptr, 0) != noErr) throw std::runtime_error("no output image");
  params_.frame = output_;
  params_.frameRect = frameRect;
}

void RecordingHost::FailCallback(Callback which, HYPluginResult result) { failures_[which] = result; }

void RecordingHost::FailNewPtrClearAt(int n) { gNewPtrCountdown = n; }

bool RecordingHost::TakeFailure(Callback which, HYPluginResult &result) {
  auto it = failures_.find(which);
  if (it == failures_.end()) return false;
  result = it->second;
  failures_.erase(it);
  return true;
}

HYPluginResult RecordingHost::Answer(CallRecord rec) {
  rec.result = kPluginOK;
  TakeFailure(rec.which, rec.result);
  calls_.push_back(rec);
  return rec.result;
}

std::vector<CallRecord> RecordingHost::CallsOf(Callback which) const {
  std::vector<CallRecord> out;
  for (const auto &c : calls_)
    if (c.which == which) out.push_back(c);
  return out;
}

HYPluginResult RecordingHost::Send(HYPluginSelector selector) {
  params_.selector = selector;
  return entry_(0, &params_);
}

HYPluginResult RecordingHost::RenderFrame(SInt32 renderFrame) {
  params_.renderFrame = renderFrame;
  return Send(kPlugDoFrame);
}

HYPluginResult RecordingHost::RenderPass(SInt32 startFrame, SInt32 frameCount) {
  params_.clientData = nullptr;
  params_.startFrame = startFrame;
  params_.frameCount = frameCount;
  params_.renderFrame = 0;
  HYPluginResult result = Send(kPlugInitialize);
  if (result != kPluginOK) {
    Send(kPlugTerminate);
    return result;
  }
  for (SInt32 r = 0; r < frameCount && result == kPluginOK; ++r) result = RenderFrame(r);
  const HYPluginResult ended = Send(kPlugTerminate);
  return result == kPluginOK ? ended : result;
}

// ---- Callbacks ------------------------------------------------------------

Ptr RecordingHost::CbNewPtrClear(Size size) {
  CallRecord rec{Callback::NewPtrClear};
  rec.size = size;
  Ptr p = nullptr;
  if (gNewPtrCountdown > 0 && --gNewPtrCountdown == 0) {
    rec.result = kPluginOutOfMemory;
  } else {
    p = NewPtrClear(size);
    if (p && gHost) ++gHost->liveBlocks_;
  }
  if (gHost) gHost->calls_.push_back(rec);
  return p;
}

void RecordingHost::CbDisposePtr(Ptr p) {
  if (gHost) {
    gHost->calls_.push_back(CallRecord{Callback::DisposePtr});
    if (p) --gHost->liveBlocks_;
  }
  DisposePtr(p);
}

HYPluginResult RecordingHost::CbGetFrame(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width,
                                         SInt16 height, HYRefDVQuality quality, SInt16 *outVolume,
                                         SInt32 *outCookie) {
  RecordingHost *host = From(instance);
  CallRecord rec{Callback::GetFrame};
  rec.frame = frameIndex;
  rec.width = width;
  rec.height = height;
  rec.quality = quality;
  *outImage = nullptr;
  *outCookie = 0;
  if (outVolume) *outVolume = 256;
  HYPluginResult result = kPluginOK;
  if (!host->TakeFailure(Callback::GetFrame, result)) {
    Rect bounds{0, 0, height, width};
    GWorldPtr gw = nullptr;
    if (frameIndex < 0 || frameIndex >= host->frameCount_)
      result = kPluginNoFrame;
    else if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr)
      result = kPluginOutOfMemory;
    else {
      if (host->painter_) host->painter_(frameIndex, gw);
      const SInt32 cookie = host->nextCookie_++;
      host->delivered_[cookie] = gw;
      *outImage = gw;
      *outCookie = cookie;
      rec.cookie = cookie;
    }
  }
  rec.result = result;
  host->calls_.push_back(rec);
  return result;
}

HYPluginResult RecordingHost::CbReleaseFrame(void *instance, SInt32 cookie) {
  RecordingHost *host = From(instance);
  CallRecord rec{Callback::ReleaseFrame};
  rec.cookie = cookie;
  auto it = host->delivered_.find(cookie);
  if (it != host->delivered_.end()) {
    DisposeGWorld(it->second);
    host->delivered_.erase(it);
  }
  return host->Answer(rec);
}

HYPluginResult RecordingHost::CbMixAudio(void *instance, SInt32 cookie, SInt32 volume) {
  RecordingHost *host = From(instance);
  CallRecord rec{Callback::MixAudio};
  rec.cookie = cookie;
  rec.volume = volume;
  return host->Answer(rec);
}

HYPluginResult RecordingHost::CbGetFilterInfo(void *instance, _HYPluginFilterInfo **outInfo) {
  RecordingHost *host = From(instance);
  CallRecord rec{Callback::GetFilterInfo};
  HYPluginResult result = kPluginOK;
  *outInfo = nullptr;
  if (!host->TakeFailure(Callback::GetFilterInfo, result)) {
    *outInfo = &host->filterInfo_;
    host->filterInfoOut_ = true;
  }
  rec.result = result;
  host->calls_.push_back(rec);
  return result;
}

void RecordingHost::CbReleaseFilterInfo(void *instance, _HYPluginFilterInfo *) {
  RecordingHost *host = From(instance);
  host->filterInfoOut_ = false;
  host->calls_.push_back(CallRecord{Callback::ReleaseFilterInfo});
}

HYPluginResult RecordingHost::CbBlit(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                                     SInt16 opacity) {
  CallRecord rec{Callback::Blit};
  rec.opacity = opacity;
  HYPluginResult result = kPluginOK;
  if (!gHost || !gHost->TakeFailure(Callback::Blit, result))
    result = zv::host::BlitPixMaps(src, dst, srcRect, dstRect, opacity);
  rec.result = result;
  if (gHost) gHost->calls_.push_back(rec);
  return result;
}

}  // namespace zv::test
