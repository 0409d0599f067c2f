// The fades of a render pass: how long they may be, and how strongly the
// untouched frame covers the effect at each frame.
#pragma once

#include <MacTypes.h>

// Fades longer than the clip are cut to it; when both are set, each to half.
void ClampFades(SInt32 frameCount, SInt32 &fadeIn, SInt32 &fadeOut);
// The opacity with which the untouched frame covers the effect at frame r of
// n, or -1 when the frame lies outside both fades. Always 0..255.
SInt16 FadeOpacity(SInt32 r, SInt32 n, SInt32 fadeIn, SInt32 fadeOut);
