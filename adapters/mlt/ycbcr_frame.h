// MLT's Y'CbCr frames handed to the Y'CbCr road as they are.
#pragma once

#include "PluginDefines.h"

#include <framework/mlt.h>

namespace zv::adapters {

// Whether a frame asked for in this format takes the Y'CbCr road.
bool IsYcbcrFormat(mlt_image_format format);

// The effect on the frame's image in place, in the frame's own colour space
// and range. False, with nothing written, when the road cannot take it.
bool RenderYcbcrImage(mlt_frame frame, const PLUGINDATAREC &theConfig, SInt16 opacity, uint8_t *image,
                      mlt_image_format format, int width, int height);

}  // namespace zv::adapters
