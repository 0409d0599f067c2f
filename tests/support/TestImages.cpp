#include "TestImages.h"

#include <stdexcept>

namespace zv::test {

Image::Image(SInt16 width, SInt16 height) : Image(Rect{0, 0, height, width}) {}

Image::Image(Rect bounds)
    : width_(static_cast<SInt16>(bounds.right - bounds.left)), height_(static_cast<SInt16>(bounds.bottom - bounds.top)) {
  if (NewGWorld(&gw_, 32, &bounds, nullptr, nullptr, 0) != noErr || !gw_) throw std::runtime_error("NewGWorld failed");
}

Image::~Image() { DisposeGWorld(gw_); }

Pixel Image::At(int x, int y) const { return PixelAt(gw_, x, y); }
void Image::Set(int x, int y, Pixel p) { SetPixel(gw_, x, y, p); }

Pixel PixelAt(GWorldPtr gw, int x, int y) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  const UInt8 *p = reinterpret_cast<const UInt8 *>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
  return {p[0], p[1], p[2], p[3]};
}

void SetPixel(GWorldPtr gw, int x, int y, Pixel px) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  UInt8 *p = reinterpret_cast<UInt8 *>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
  for (int i = 0; i < 4; ++i) p[i] = px[i];
}

Pixel PatternPixel(SInt32 index, int x, int y) {
  return {static_cast<UInt8>(x * 7 + y * 3 + index), static_cast<UInt8>(x * 5 + index * 11),
          static_cast<UInt8>(y * 9 + index * 3), static_cast<UInt8>(x + y * 2 + index * 17)};
}

void PaintPattern(SInt32 index, GWorldPtr into) {
  Rect b;
  GetPortBounds(into, &b);
  for (int y = 0; y < b.bottom - b.top; ++y)
    for (int x = 0; x < b.right - b.left; ++x) SetPixel(into, x, y, PatternPixel(index, x, y));
}

}  // namespace zv::test
