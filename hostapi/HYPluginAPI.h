/* The host plug-in interface: what a video editor and a filter plug-in say to
   each other. One header for both sides.

   The plug-in is a bundle whose executable exports one C function under the
   symbol name "main" (PluginMainProc below). The host calls it on one thread,
   one request at a time, with a selector in the parameter block.

   Ownership
   - The parameter block and the HYProcs table belong to the host. They stay
     valid for the duration of a call; the host may hand a different block on
     every call of the same render pass, but carries clientData over.
   - clientData belongs to the plug-in from kPlugInitialize to kPlugTerminate.
     The host keeps it unchanged between the calls of one pass and sets it to
     NULL before the pass starts.
   - Frames delivered by GetFrame belong to the host; the plug-in hands each one
     back with ReleaseFrame and never disposes of it. A delivered frame stays
     valid until it is released.
   - frame (the output image) belongs to the host.
   - Blocks from NewPtrClear are freed with DisposePtr. The host allocates them
     through the platform's Memory Manager, so GetPtrSize works on them.

   Pixels: every image is a 32-bit offscreen image of the platform's QuickDraw:
   bytes in memory order alpha, red, green, blue; rows GetPixRowBytes apart.

   Threads: none. Callbacks are called from within the entry point only, on the
   thread that called it.

   Versions: interfaceVersion is kHYInterfaceVersion for this header. A plug-in
   refuses 3 and below with kPluginAppIsTooOld. New fields are only ever added
   at the end of a record. */
#ifndef ZV_HYPLUGINAPI_H
#define ZV_HYPLUGINAPI_H

#include <MacTypes.h>
#include <QuickDraw.h>

ZV_EXTERN_C_BEGIN

enum { kHYInterfaceVersion = 5 };

/* Result codes. Callback results are passed on unchanged by the plug-in. */
typedef SInt32 HYPluginResult;
enum {
  kPluginOK = 0,
  kPluginUserCancelled = 1, /* host only: the person stopped the work */
  kPluginNoFrame = 2,       /* host only: the frame index lies outside the clip */
  kPluginBadParams = 3,
  kPluginOutOfMemory = 4,
  kPluginIOError = 5,       /* host only: the clip could not be read */
  kPluginFailed = 6,
  kPluginAppIsTooOld = 10
};

typedef UInt8 HYPluginSelector;
enum {
  kPlugGetInfo = 1,
  kPlugInitialize = 2,
  kPlugDrawIcon = 3,
  kPlugDrawThumbNail = 4,
  kPlugFilePlaceHolder = 5,
  kPlugDoFrame = 6,
  kPlugCallOnceWithInitAndTerminate = 7,
  kPlugTerminate = 8,
  kPlugCustomButtonClick = 9
};

typedef SInt16 HYRefDVQuality;
enum { kDVLowQuality = 0, kDVHighQuality = 1 };

enum { kPluginFilterType = 105 };

/* pluginFlags bits. Their meaning is the host's; a plug-in sets the bits it
   wants and keeps the others. */
enum {
  kPluginFlagWantsFilterSliders = 0x080,
  kPluginFlagWantsFadeInfo = 0x100,
  kPluginFlagRendersWholeFrames = 0x200,
  kPluginFlagHasCustomButton = 0x1000
};

/* Written by the plug-in on kPlugGetInfo; bestThumbOffset is read on
   kPlugFilePlaceHolder (the clip-relative frame to show). */
typedef struct _HYPluginGetInfo {
  SInt32 pluginType;
  UInt32 pluginFlags;
  SInt32 framesToBeRendered;
  SInt32 takeFromClipBefore;
  SInt32 takeFromClipAfter;
  SInt32 minSpeedFrames;
  SInt32 maxSpeedFrames;
  Boolean mustTakeFromSingleClips;
  SInt32 bestThumbOffset;
} _HYPluginGetInfo;

enum { kHYLabelSize = 128, kHYButtonTitleSize = 32 };

/* Texts are zero-terminated and cut to fit their buffers, terminator included. */
typedef struct _HYPluginFilterSliderInfo {
  char label[kHYLabelSize];
  char minLabel[kHYLabelSize];
  char maxLabel[kHYLabelSize];
  float defaultValue; /* 0.0 to 1.0 */
} _HYPluginFilterSliderInfo;

/* selectedFrames is written by the host before kPlugGetInfo. */
typedef struct _HY2PluginGetInfo {
  char group[kHYLabelSize];
  _HYPluginFilterSliderInfo filterSliders[3];
  SInt32 baseMemoryNeeded;
  SInt32 selectedFrames;
} _HY2PluginGetInfo;

typedef struct _HY3PluginGetInfo {
  char buttonTitle[kHYButtonTitleSize];
} _HY3PluginGetInfo;

/* What the host knows of the clip the filter lies on. */
typedef struct _HYPluginFilterInfo {
  float sliderValues[3];
  SInt32 fadeInFrames;
  SInt32 fadeOutFrames;
} _HYPluginFilterInfo;

/* The callbacks, in this order. instance is the block's instance, passed back.
   GetFrame: on kPluginOK *outImage holds the clip's frame frameIndex (absolute,
     counted from the clip's first frame) scaled to width x height, bounds at
     (0, 0); *outCookie names the delivery for ReleaseFrame and MixAudio. On any
     other result *outImage is NULL and nothing needs releasing.
   MixAudio: puts the audio of the frame's time span into the output; volume 256
     is unity.
   GetFilterInfo: on kPluginOK *outInfo points to the host's record until
     ReleaseFilterInfo.
   Blit: draws srcRect of src over dstRect of dst, scaling when the sizes differ;
     each of red, green and blue becomes
       (src * opacity + dst * (255 - opacity) + 127) / 255
     in integers; the destination's alpha is kept. An opacity outside 0..255 is
     clamped into it. src and dst are different maps. */
typedef struct HYProcs {
  Ptr (*NewPtrClear)(Size byteCount);
  void (*DisposePtr)(Ptr p);
  HYPluginResult (*GetFrame)(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width, SInt16 height,
                             HYRefDVQuality quality, SInt16 *outVolume, SInt32 *outCookie);
  HYPluginResult (*ReleaseFrame)(void *instance, SInt32 cookie);
  HYPluginResult (*MixAudio)(void *instance, SInt32 cookie, SInt32 volume);
  HYPluginResult (*GetFilterInfo)(void *instance, _HYPluginFilterInfo **outInfo);
  void (*ReleaseFilterInfo)(void *instance, _HYPluginFilterInfo *info);
  HYPluginResult (*Blit)(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                         SInt16 opacity);
} HYProcs;

/* The parameter block of every request.
   startFrame: the absolute index of the pass's first frame; renderFrame: the
   frame to render, counted from startFrame; frameCount: frames in the pass.
   frame/frameRect: where kPlugDoFrame and kPlugFilePlaceHolder draw. */
typedef struct _PluginParams {
  SInt16 interfaceVersion;
  void *instance;
  HYPluginSelector selector;
  const HYProcs *procs;
  _HYPluginGetInfo getInfo;
  _HY2PluginGetInfo getInfo2;
  _HY3PluginGetInfo getInfo3;
  SInt32 startFrame;
  SInt32 renderFrame;
  SInt32 frameCount;
  Boolean proxyOnly;
  Rect frameRect;
  GWorldPtr frame;
  void *clientData;
} _PluginParams;

/* The entry point; "main" in the bundle's executable. which is unused. */
typedef HYPluginResult (*PluginMainProc)(SInt16 which, _PluginParams *params);

ZV_EXTERN_C_END

#endif
