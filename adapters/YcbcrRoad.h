// The effect on a Y'CbCr frame in place: only the rectangle's pixels are taken
// to R'G'B', lifted by the plug-in's own pixel loop and taken back; every
// sample outside the rectangle is left as it is. No host's headers here.
//
// Pixels share their chroma with the others of their chroma block (two across,
// and two down in 4:2:0). A block whose pixels all lie inside the rectangle gets
// the mean chroma of their new colours; a block cut by the rectangle's edge
// keeps its chroma, so its pixels outside stay as they are, and its pixels
// inside take the luma of their new colour alone. Blocks the effect leaves
// unchanged are not written at all.
#pragma once

#include "PluginDefines.h"

#include <cstddef>
#include <cstdint>

namespace zv::adapters {

enum class YcbcrLayout {
  kPacked422,    // Y0 Cb Y1 Cr, 8 bits
  kPlanar420,    // three planes, 8 bits
  kPlanar422x16  // three planes, 16 bits little-endian
};

struct YcbcrImage {
  YcbcrLayout layout;
  int width, height;
  std::uint8_t *planes[3];      // Y, Cb, Cr; packed: planes[0] alone
  std::ptrdiff_t strides[3];    // bytes from one row of the plane to the next
  int colorspace;               // 601, 709, 240 or 2020 as hosts number them; others count as 601
  bool fullRange;
};

// The effect of theConfig on the image; with an opacity of 0..255 the untouched
// frame is then drawn over the result, sample by sample. False, with nothing
// written, for an image the road cannot take (sizes that split a chroma block,
// or beyond 32767 pixels a side): the caller takes the RGBA road instead.
bool RenderYcbcrFrame(const PLUGINDATAREC &theConfig, const YcbcrImage &image, SInt16 opacity);

}  // namespace zv::adapters
