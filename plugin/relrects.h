// Conversions between frame-relative rectangles and pixel rectangles of a frame.
#pragma once

#include "PluginDefines.h"

void InitRelRect(RELRECT &theRel);
// false when any edge is NaN or infinite, as only a damaged record has it.
Boolean RelIsFinite(const RELRECT &theRel);
// Edges are frame origin + trunc(size x fraction); no clipping, no ordering.
// Fractions that are not finite or land outside 16 bits saturate (NaN gives the
// frame's origin edge), so a damaged stored record cannot produce garbage.
Rect Rel2Rect(const RELRECT &theRel, const Rect &theFrame);
// A frame of zero width or height gives 0 in that direction.
RELRECT Rect2Rel(const Rect &theRect, const Rect &theFrame);
