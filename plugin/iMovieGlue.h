// The host-facing half: the entry point, one handler per selector, the frame
// driver. It speaks the host's types and treats configurations as opaque blocks.
#pragma once

#include <HYPluginAPI.h>

#include "fadeprocs.h"

// The state of one render pass, kept in the parameter block's clientData.
struct _EffectData {
  SInt32 fadeInFrames;       // after clamping
  SInt32 fadeOutFrames;      // after clamping
  GWorldPtr effectGWorld;    // the work image of one frame; empty between frames
  Ptr pascalData;            // this pass's copy of the master configuration
};

extern Ptr gPascalData;
extern Boolean gPascalInited;
extern SInt32 gMostRecentStartFrame;
extern SInt32 gMostRecentFrameCount;

extern "C" HYPluginResult iMovieMain(SInt16 which, _PluginParams *params);

HYPluginResult EffectGetInfos(SInt16 which, _PluginParams *params);
void SetFilterParamInfos(_PluginParams *params);
HYPluginResult EffectBegins(SInt16 which, _PluginParams *params);
HYPluginResult EffectEnds(SInt16 which, _PluginParams *params);
HYPluginResult EffectDrives(SInt16 which, _PluginParams *params);
HYPluginResult MakeEffectPlaceHolders(SInt16 which, _PluginParams *params);
HYPluginResult CustomButtons(SInt16 which, _PluginParams *params);
// The frame size the dialog works at for a media type.
void MediaFrameSize(SInt16 mediaType, SInt16 &width, SInt16 &height);
HYPluginResult ApplyEffect(GWorldPtr source, _PluginParams *params);
void ApplyLineArtEffect(GWorldPtr source, GWorldPtr target, _PluginParams *params);
SInt16 GetFrameIntoGW(GWorldPtr target, _PluginParams *params, SInt32 frameIndex, SInt16 disposeAfterUse);

// The quality to ask the host for: low only for proxy frames of 259 lines or fewer.
HYRefDVQuality QualityFor(const _PluginParams *params, SInt32 height);
