#include "plugin/HostSession.h"

#include <MacMemory.h>

#include <algorithm>
#include <new>

#include "Blit.h"
#include "media/FFmpeg.h"

namespace zv::host {

namespace {

Ptr NewPtrClearCb(Size byteCount) { return ::NewPtrClear(byteCount); }
void DisposePtrCb(Ptr p) { ::DisposePtr(p); }

HYPluginResult BlitCb(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect, SInt16 opacity) {
  return blend::BlitPixMaps(src, dst, srcRect, dstRect, opacity);
}

// The largest side a frame may have: a Rect holds 16-bit coordinates.
constexpr int kMaxSide = 16384;

// Released images kept for reuse: enough for a plug-in holding two at once.
constexpr std::size_t kSpareImages = 2;

}  // namespace

media::ArgbView ViewOf(GWorldPtr image) {
  PixMapHandle pm = GetGWorldPixMap(image);
  Rect bounds;
  GetPixBounds(pm, &bounds);
  return {reinterpret_cast<std::uint8_t *>(GetPixBaseAddr(pm)), GetPixRowBytes(pm), bounds.right - bounds.left,
          bounds.bottom - bounds.top};
}

const HYProcs &HostSession::Procs() {
  static const HYProcs procs = {NewPtrClearCb, DisposePtrCb,  GetFrame,          ReleaseFrame,
                                MixAudio,      GetFilterInfo, ReleaseFilterInfo, BlitCb};
  return procs;
}

HostSession::HostSession(media::Clip *clip, std::string clipName) : clip_(clip), clipName_(std::move(clipName)) {
  for (float &v : filterInfo_.sliderValues) v = 0.5f;
  spares_.reserve(kSpareImages);  // so releasing never allocates
}

HostSession::~HostSession() {
  // Frames the plug-in never gave back.
  for (auto &[cookie, d] : deliveries_) DisposeGWorld(d.image);
  for (GWorldPtr image : spares_) DisposeGWorld(image);
}

void HostSession::SetFades(SInt32 fadeIn, SInt32 fadeOut) {
  filterInfo_.fadeInFrames = fadeIn;
  filterInfo_.fadeOutFrames = fadeOut;
}

void HostSession::SetSliderValues(const float values[3]) {
  for (int i = 0; i < 3; ++i) filterInfo_.sliderValues[i] = values[i];
}

void HostSession::SetOutputSound(AVRational frameRate, int sampleRate, int channels) {
  outRate_ = frameRate;
  sampleRate_ = sampleRate;
  channels_ = channels;
}

void HostSession::BeginFrame(std::int64_t r) {
  if (sampleRate_ <= 0) {
    sound_.reset();
    return;
  }
  const std::int64_t first = media::FrameSample(r, outRate_, sampleRate_);
  const std::int64_t end = media::FrameSample(r + 1, outRate_, sampleRate_);
  sound_.emplace(channels_, static_cast<int>(end - first));
}

HYPluginResult HostSession::GetFrame(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width,
                                     SInt16 height, HYRefDVQuality quality, SInt16 *outVolume, SInt32 *outCookie) {
  auto *self = static_cast<HostSession *>(instance);
  if (!outImage) return kPluginBadParams;
  *outImage = nullptr;
  if (!self || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return kPluginBadParams;
  if (!self->clip_ || frameIndex < 0 || frameIndex >= self->clip_->Info().frameCount) return kPluginNoFrame;

  GWorldPtr image = nullptr;
  const Rect bounds = {0, 0, height, width};
  auto &spares = self->spares_;
  const auto spare = std::find_if(spares.begin(), spares.end(), [&](GWorldPtr g) {
    Rect b;
    GetPixBounds(GetGWorldPixMap(g), &b);
    return b.top == 0 && b.left == 0 && b.bottom == height && b.right == width;
  });
  if (spare != spares.end()) {
    image = *spare;
    spares.erase(spare);
  } else if (NewGWorld(&image, 32, &bounds, nullptr, nullptr, 0) != noErr || !image) {
    return kPluginOutOfMemory;
  }
  try {
    self->clip_->ReadFrame(frameIndex, ViewOf(image),
                           quality == kDVLowQuality ? media::Quality::Low : media::Quality::High);
    const SInt32 cookie = self->nextCookie_++;
    self->deliveries_[cookie] = {image, frameIndex};
    *outImage = image;
    if (outVolume) *outVolume = 256;
    if (outCookie) *outCookie = cookie;
    return kPluginOK;
  } catch (const media::MediaError &e) {
    if (self->readError_.empty()) self->readError_ = self->clipName_ + ": " + e.what();
    DisposeGWorld(image);
    return kPluginIOError;
  } catch (const std::bad_alloc &) {
    DisposeGWorld(image);
    return kPluginOutOfMemory;
  }
}

HYPluginResult HostSession::ReleaseFrame(void *instance, SInt32 cookie) {
  auto *self = static_cast<HostSession *>(instance);
  if (!self) return kPluginBadParams;
  auto it = self->deliveries_.find(cookie);
  if (it == self->deliveries_.end()) return kPluginBadParams;
  if (self->spares_.size() < kSpareImages)
    self->spares_.push_back(it->second.image);
  else
    DisposeGWorld(it->second.image);
  self->deliveries_.erase(it);
  return kPluginOK;
}

HYPluginResult HostSession::MixAudio(void *instance, SInt32 cookie, SInt32 volume) {
  auto *self = static_cast<HostSession *>(instance);
  if (!self) return kPluginBadParams;
  auto it = self->deliveries_.find(cookie);
  if (it == self->deliveries_.end()) return kPluginBadParams;
  ++self->mixes_;
  if (!self->sound_ || !self->clip_ || self->clip_->Info().sampleRate <= 0) return kPluginOK;  // nothing to hear
  const media::ClipInfo &info = self->clip_->Info();
  const float gain = static_cast<float>(std::max<SInt32>(volume, 0)) / 256.0f;
  try {
    self->clip_->MixAudio(media::FrameSample(it->second.frame, info.frameRate, info.sampleRate), *self->sound_,
                          gain);
  } catch (const media::MediaError &e) {
    if (self->readError_.empty()) self->readError_ = self->clipName_ + ": " + e.what();
    return kPluginIOError;
  }
  return kPluginOK;
}

HYPluginResult HostSession::GetFilterInfo(void *instance, _HYPluginFilterInfo **outInfo) {
  auto *self = static_cast<HostSession *>(instance);
  if (!self || !outInfo) return kPluginBadParams;
  *outInfo = &self->filterInfo_;
  return kPluginOK;
}

void HostSession::ReleaseFilterInfo(void *, _HYPluginFilterInfo *) {}

}  // namespace zv::host
