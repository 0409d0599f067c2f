#include "iMovieGlue.h"

#include "pascalFX.h"

#include "commonprocs.h"

#include <MacMemory.h>
#include <Resources.h>

#include <algorithm>
#include <cmath>
#include <cstring>

// Sections: globals · entry and dispatch · description · render pass ·
// frame driver · placeholder · dialog frames · custom button.

Ptr gPascalData = nullptr;
Boolean gPascalInited = false;
SInt32 gMostRecentStartFrame = 0;
SInt32 gMostRecentFrameCount = 0;

namespace {

constexpr SInt32 kBaseMemoryNeeded = 50000;
constexpr UInt32 kInfoFlags = kPluginFlagWantsFilterSliders | kPluginFlagWantsFadeInfo | kPluginFlagRendersWholeFrames;
constexpr UInt32 kParamFlags = kPluginFlagHasCustomButton;
constexpr short kSliderLabels = 128, kSliderEnds = 129, kButtonTitle = 130, kGroupName = 17000;

_EffectData *PassOf(_PluginParams *params) { return static_cast<_EffectData *>(params->clientData); }

// Keeps the current port and device across a handler.
class SavedPort {
 public:
  SavedPort() { GetGWorld(&port_, &device_); }
  ~SavedPort() { SetGWorld(port_, device_); }
  SavedPort(const SavedPort &) = delete;
  SavedPort &operator=(const SavedPort &) = delete;

 private:
  CGrafPtr port_;
  GDHandle device_;
};

// Locks an image's pixels while they are read or written, then puts the
// previous state back.
class PixelsLock {
 public:
  explicit PixelsLock(GWorldPtr gw) : pm_(gw ? GetGWorldPixMap(gw) : nullptr) {
    if (pm_) {
      state_ = GetPixelsState(pm_);
      LockPixels(pm_);
    }
  }
  ~PixelsLock() {
    if (pm_) SetPixelsState(pm_, state_);
  }
  PixelsLock(const PixelsLock &) = delete;
  PixelsLock &operator=(const PixelsLock &) = delete;

 private:
  PixMapHandle pm_;
  GWorldFlags state_ = 0;
};

// A frame fetched from the host, handed back when its owner goes out of
// scope, or earlier through Release to hear the host's answer. The render and
// the custom button hand back whatever the fetch answered; the dialog's frames
// only what was delivered.
class HostFrame {
 public:
  enum ReturnRule { kAlways, kIfDelivered };

  HostFrame(_PluginParams *params, SInt32 frame, SInt16 width, SInt16 height, HYRefDVQuality quality,
            ReturnRule rule)
      : params_(params) {
    SInt16 volume = 0;
    fetched_ = params->procs->GetFrame(params->instance, frame, &image_, width, height, quality, &volume, &cookie_);
    due_ = rule == kAlways || image_;
  }
  ~HostFrame() { Release(); }
  HostFrame(const HostFrame &) = delete;
  HostFrame &operator=(const HostFrame &) = delete;

  HYPluginResult Fetched() const { return fetched_; }
  GWorldPtr Image() const { return image_; }
  SInt32 Cookie() const { return cookie_; }
  // The host's answer to the hand-back; kPluginOK once it is done.
  HYPluginResult Release() {
    if (!due_) return kPluginOK;
    due_ = false;
    return params_->procs->ReleaseFrame(params_->instance, cookie_);
  }

 private:
  _PluginParams *params_;
  GWorldPtr image_ = nullptr;
  SInt32 cookie_ = 0;
  HYPluginResult fetched_;
  bool due_;
};

// A zero-terminated copy of item `index` of string list `listID`, cut to fit.
void CopyIndString(char *dest, size_t destSize, short listID, short index) {
  Str255 text;
  GetIndString(text, listID, index);
  const long count = std::min<long>(text[0], static_cast<long>(destSize) - 1);
  BlockMoveData(text + 1, dest, count);
  dest[std::max<long>(count, 0)] = 0;
}

// start + offset as a frame number; false when it does not fit 32 bits.
bool AddFrames(SInt32 start, SInt32 offset, SInt32 &frame) { return !__builtin_add_overflow(start, offset, &frame); }

Rect MovedToOrigin(Rect r) {
  r.right -= r.left;
  r.bottom -= r.top;
  r.left = r.top = 0;
  return r;
}

// A new 32-bit image of r's size, locked; err tells why when it fails.
GWorldPtr NewWorkImage(const Rect &r, OSErr &err) {
  Rect bounds = MovedToOrigin(r);
  GWorldPtr gw = nullptr;
  err = NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0);
  if (err == noErr && !gw) err = memFullErr;
  if (err == noErr) LockPixels(GetGWorldPixMap(gw));
  return err == noErr ? gw : nullptr;
}

void CopyImage(GWorldPtr from, const Rect &fromRect, GWorldPtr to, const Rect &toRect) {
  PixelsLock a(from), b(to);
  CopyBits(GetPortBitMapForCopyBits(from), GetPortBitMapForCopyBits(to), &fromRect, &toRect, srcCopy, nullptr);
}

}  // namespace

// ---- Entry and dispatch ---------------------------------------------------

extern "C" HYPluginResult iMovieMain(SInt16 which, _PluginParams *params) {
  if (!params) return kPluginBadParams;
  if (params->interfaceVersion <= 3) return kPluginAppIsTooOld;
  if (!params->procs) return kPluginBadParams;  // every handler calls back into the host
  if (!gPascalInited) {
    InitPascal();
    gPascalInited = true;
  }
  if (!gPascalData) {
    UInt32 size = 0;
    pGetConfigSize(&size);
    gPascalData = params->procs->NewPtrClear(static_cast<Size>(size));
    InitMyPlugIn(&gPascalData);
  }
  switch (params->selector) {
    case kPlugGetInfo: return EffectGetInfos(which, params);
    case kPlugInitialize: return EffectBegins(which, params);
    case kPlugFilePlaceHolder: return MakeEffectPlaceHolders(which, params);
    case kPlugDoFrame: return EffectDrives(which, params);
    case kPlugTerminate: return EffectEnds(which, params);
    case kPlugCustomButtonClick: return CustomButtons(which, params);
    default: return kPluginOK;
  }
}

// ---- Description ----------------------------------------------------------

HYPluginResult EffectGetInfos(SInt16, _PluginParams *params) {
  _HYPluginGetInfo &info = params->getInfo;
  info.pluginType = kPluginFilterType;
  info.framesToBeRendered = 0;
  info.takeFromClipBefore = 0;
  info.takeFromClipAfter = 0;
  info.minSpeedFrames = 0;
  info.maxSpeedFrames = 0;
  info.mustTakeFromSingleClips = false;
  info.pluginFlags |= kInfoFlags;
  params->getInfo2.baseMemoryNeeded = kBaseMemoryNeeded;
  SetFilterParamInfos(params);
  return kPluginOK;
}

void SetFilterParamInfos(_PluginParams *params) {
  _HYPluginGetInfo &info = params->getInfo;
  _HY2PluginGetInfo &info2 = params->getInfo2;
  info.takeFromClipBefore = 0;
  info.takeFromClipAfter = info2.selectedFrames;
  info.framesToBeRendered = info2.selectedFrames;
  for (short i = 0; i < 3; ++i) {
    _HYPluginFilterSliderInfo &slider = info2.filterSliders[i];
    slider.defaultValue = 0.5f;
    CopyIndString(slider.label, sizeof slider.label, kSliderLabels, i + 1);
    CopyIndString(slider.minLabel, sizeof slider.minLabel, kSliderEnds, 2 * i + 1);
    CopyIndString(slider.maxLabel, sizeof slider.maxLabel, kSliderEnds, 2 * i + 2);
  }
  info.pluginFlags |= kParamFlags;
  CopyIndString(params->getInfo3.buttonTitle, sizeof params->getInfo3.buttonTitle, kButtonTitle, 1);
  CopyIndString(info2.group, sizeof info2.group, kGroupName, 1);
}

// ---- Render pass ----------------------------------------------------------

HYPluginResult EffectBegins(SInt16, _PluginParams *params) {
  const HYProcs &procs = *params->procs;
  if (!params->clientData) params->clientData = procs.NewPtrClear(sizeof(_EffectData));
  _EffectData *pass = PassOf(params);
  if (!pass) return kPluginOutOfMemory;

  // A reused pass state gives back the copy it holds before taking a new one.
  if (pass->pascalData) {
    pUncopyConfig(pass->pascalData);
    procs.DisposePtr(pass->pascalData);
    pass->pascalData = nullptr;
  }
  UInt32 size = 0;
  pGetConfigSize(&size);
  pass->pascalData = procs.NewPtrClear(static_cast<Size>(size));
  if (!pass->pascalData) return kPluginOutOfMemory;
  pCopyConfig(gPascalData, pass->pascalData);
  // A reused pass state must not keep the last pass's fades when the host
  // has no filter info for this one.
  pass->fadeInFrames = pass->fadeOutFrames = 0;

  _HYPluginFilterInfo *filterInfo = nullptr;
  const HYPluginResult result = procs.GetFilterInfo(params->instance, &filterInfo);
  if (result == kPluginOK && filterInfo) {
    pass->fadeInFrames = filterInfo->fadeInFrames;
    pass->fadeOutFrames = filterInfo->fadeOutFrames;
    procs.ReleaseFilterInfo(params->instance, filterInfo);
  }

  ClampFades(params->frameCount, pass->fadeInFrames, pass->fadeOutFrames);
  pass->effectGWorld = nullptr;
  return result;
}

HYPluginResult EffectEnds(SInt16, _PluginParams *params) {
  _EffectData *pass = PassOf(params);
  if (pass) {
    if (pass->effectGWorld) DisposeGWorld(pass->effectGWorld);
    if (pass->pascalData) {
      pUncopyConfig(pass->pascalData);
      params->procs->DisposePtr(pass->pascalData);
    }
    params->procs->DisposePtr(reinterpret_cast<Ptr>(pass));
    params->clientData = nullptr;
  }
  return kPluginOK;
}

// ---- Frame driver ---------------------------------------------------------

HYRefDVQuality QualityFor(const _PluginParams *params, SInt32 height) {
  return params->proxyOnly && height <= 259 ? kDVLowQuality : kDVHighQuality;
}

// Renders a delivered frame into the host's frame, blending the untouched
// frame over it during fades, and mixes its audio.
static HYPluginResult RenderDelivered(_PluginParams *params, GWorldPtr delivered, SInt32 cookie,
                                      GWorldPtr &cleanCopy, OSErr &cleanErr) {
  const HYProcs &procs = *params->procs;
  _EffectData *pass = PassOf(params);
  const Rect sourceRect = MovedToOrigin(params->frameRect);
  const SInt16 opacity =
      FadeOpacity(params->renderFrame, params->frameCount, pass->fadeInFrames, pass->fadeOutFrames);
  if (opacity >= 0) {
    cleanCopy = NewWorkImage(sourceRect, cleanErr);
    if (!cleanCopy) return kPluginOK;  // reported as kPluginFailed once the frame is back
    CopyImage(delivered, sourceRect, cleanCopy, sourceRect);
  }
  HYPluginResult result = ApplyEffect(delivered, params);
  // Without the effect there is nothing to fade over: blending the clean
  // copy onto the untouched frame would report a wrong frame as done.
  if (result != kPluginOK) return result;
  if (cleanCopy) {
    Rect from;
    GetPortBounds(delivered, &from);
    PixelsLock a(cleanCopy), b(params->frame);
    result = procs.Blit(GetGWorldPixMap(cleanCopy), GetGWorldPixMap(params->frame), &from, &params->frameRect,
                        opacity);
    if (result != kPluginOK) return result;
  }
  if (result == kPluginOK && !params->proxyOnly) result = procs.MixAudio(params->instance, cookie, 256);
  return result;
}

HYPluginResult EffectDrives(SInt16, _PluginParams *params) {
  _EffectData *pass = PassOf(params);
  // Without a configuration copy (the host went on after an out-of-memory
  // begin) there is nothing to render with.
  if (!pass || !pass->pascalData) return kPluginBadParams;
  SavedPort saved;
  SetGWorld(params->frame, nullptr);

  const Rect &frameRect = params->frameRect;
  const SInt16 width = static_cast<SInt16>(frameRect.right - frameRect.left);
  const SInt16 height = static_cast<SInt16>(frameRect.bottom - frameRect.top);
  SInt32 absoluteFrame;
  if (!AddFrames(params->startFrame, params->renderFrame, absoluteFrame)) return kPluginBadParams;
  gMostRecentStartFrame = params->startFrame;
  gMostRecentFrameCount = params->frameCount;
  if (absoluteFrame < 0) return kPluginOK;

  // The frame goes back to the host whatever happens below.
  HostFrame delivered(params, absoluteFrame, width, height, QualityFor(params, height), HostFrame::kAlways);
  HYPluginResult result = delivered.Fetched();
  if (result == kPluginOK && !delivered.Image()) result = kPluginFailed;  // a yes without a frame
  GWorldPtr cleanCopy = nullptr;
  OSErr cleanErr = noErr;
  if (result == kPluginOK) result = RenderDelivered(params, delivered.Image(), delivered.Cookie(), cleanCopy, cleanErr);
  const HYPluginResult released = delivered.Release();
  if (result == kPluginOK) result = released;
  if (cleanCopy) DisposeGWorld(cleanCopy);
  if (result == kPluginOK && cleanErr != noErr) result = kPluginFailed;
  return result;
}

HYPluginResult ApplyEffect(GWorldPtr source, _PluginParams *params) {
  _EffectData *pass = PassOf(params);
  Rect bounds;
  GetPortBounds(source, &bounds);
  bounds = MovedToOrigin(bounds);
  OSErr err = noErr;
  pass->effectGWorld = NewWorkImage(bounds, err);
  if (pass->effectGWorld) {
    CopyImage(source, bounds, pass->effectGWorld, bounds);
    ApplyLineArtEffect(source, pass->effectGWorld, params);
    CopyImage(pass->effectGWorld, bounds, params->frame, params->frameRect);
    DisposeGWorld(pass->effectGWorld);
    pass->effectGWorld = nullptr;
  }
  if (err == noErr) return kPluginOK;
  return err == memFullErr ? kPluginOutOfMemory : kPluginFailed;
}

void ApplyLineArtEffect(GWorldPtr source, GWorldPtr target, _PluginParams *params) {
  _EffectData *pass = PassOf(params);
  SavedPort saved;
  SetGWorld(target, nullptr);
  DoEffect(pass->pascalData, params, source, target, params->renderFrame, pass->fadeInFrames, pass->fadeOutFrames,
           params->frameCount);
}

// ---- Placeholder ----------------------------------------------------------

HYPluginResult MakeEffectPlaceHolders(SInt16 which, _PluginParams *params) {
  SavedPort saved;
  SetGWorld(params->frame, nullptr);
  // The placeholder pass lives in a copy of the block with its own pass state,
  // so a pass the host has running is neither freed nor disturbed.
  _PluginParams copy = *params;
  copy.clientData = nullptr;
  copy.renderFrame = params->getInfo.bestThumbOffset;
  copy.selector = kPlugInitialize;
  const HYPluginResult result = EffectBegins(which, &copy);
  if (result == kPluginOK) {
    copy.selector = kPlugDoFrame;
    (void)EffectDrives(which, &copy);
  }
  // EffectEnds runs whatever EffectBegins answered: a begin that failed half
  // way has already put its pass state into the copy's clientData.
  copy.selector = kPlugTerminate;
  EffectEnds(which, &copy);
  return result;
}

// ---- Dialog frames --------------------------------------------------------

SInt16 GetFrameIntoGW(GWorldPtr target, _PluginParams *params, SInt32 frameIndex, SInt16) {
  Rect bounds;
  GetPortBounds(target, &bounds);
  const SInt16 width = static_cast<SInt16>(bounds.right - bounds.left);
  const SInt16 height = static_cast<SInt16>(bounds.bottom - bounds.top);
  SInt32 frame;
  if (!AddFrames(params->startFrame, frameIndex, frame) || frame < 0) return -1;
  // The delivered frame is the host's: handing it back is all we may do.
  HostFrame delivered(params, frame, width, height, QualityFor(params, height), HostFrame::kIfDelivered);
  HYPluginResult result = delivered.Fetched();
  if (delivered.Image()) {
    Rect from;
    GetPortBounds(delivered.Image(), &from);
    CopyImage(delivered.Image(), from, target, bounds);
    result = delivered.Release();
  }
  return static_cast<SInt16>(result);
}

// ---- Custom button --------------------------------------------------------

void MediaFrameSize(SInt16 mediaType, SInt16 &width, SInt16 &height) {
  switch (mediaType) {
    case kMediaPAL: width = 720; height = 576; break;
    case kMediaHD: width = 960; height = 540; break;
    default: width = 720; height = 480; break;
  }
}

HYPluginResult CustomButtons(SInt16, _PluginParams *params) {
  SInt32 absoluteFrame, sliderBase;
  // The slider counts frames from the pass's start; GetFrameIntoGW adds the
  // request's own start, so only the difference is left to add.
  if (!AddFrames(gMostRecentStartFrame, params->renderFrame, absoluteFrame) ||
      __builtin_sub_overflow(gMostRecentStartFrame, params->startFrame, &sliderBase))
    return kPluginBadParams;
  SInt16 width, height;
  MediaFrameSize(GetMediaFormat(gPascalData), width, height);
  const HostFrame source(params, absoluteFrame, width, height, kDVHighQuality, HostFrame::kAlways);
  // Settings that OK could not store are a failure the host must hear of,
  // though the user has already been told.
  HYPluginResult result = kPluginOK;
  if (!source.Image())  // the dialog needs a frame to work on
    Notify("The effect cannot be set up: the host delivered no frame to preview.");
  else if (!ConfigurePlugIn(gPascalData, source.Image(), params, sliderBase, params->renderFrame,
                            gMostRecentFrameCount))
    result = kPluginFailed;
  return result;  // the frame goes back to the host here
}
