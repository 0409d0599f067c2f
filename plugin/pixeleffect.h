// The effect: inside activeRect every pixel's red, green and blue are raised to
// the floors of SLIDERS 1..3; everything else, and all alpha, is copied.
#pragma once

#include "PluginDefines.h"

// dest nil applies the effect in place. Images of different sizes or pixel
// formats: nothing is written. The rest of the image is always copied, whatever copyRest says.
void ThePixelEffect(GrafPtr source, GrafPtr dest, Rect activeRect, Boolean copyRest, PLUGINDATAPTR theConfig,
                    SInt32 currentFrame, SInt32 maxFrame);

// The same loop over two buffers of width x height pixels in pixelFormat's
// order (k32ARGBPixelFormat or k32RGBAPixelFormat), rows the given bytes apart,
// without images: activeRect counts from the buffers' first pixel. src and dst
// may be the same buffer.
void ApplyPixelEffectToRows(const UInt8 *src, SInt32 srcRowBytes, UInt8 *dst, SInt32 dstRowBytes, int width,
                            int height, OSType pixelFormat, Rect activeRect, const PLUGINDATAREC &theConfig);

// A slider percentage as a channel floor: trunc(slider x 2.55), 100 giving
// exactly 255, clamped into 0..255 so no slider value can wrap.
SInt16 Slider2Floor(SInt16 slider);
