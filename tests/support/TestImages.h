// Small helpers for images in tests: make, paint, read pixels.
#pragma once

#include <QuickDraw.h>

#include <array>
#include <cstdint>

namespace zv::test {

using Pixel = std::array<UInt8, 4>;  // alpha, red, green, blue

// An image owned by the test.
class Image {
 public:
  Image(SInt16 width, SInt16 height);
  Image(Rect bounds);
  ~Image();
  Image(const Image &) = delete;
  Image &operator=(const Image &) = delete;

  GWorldPtr gw() const { return gw_; }
  SInt16 width() const { return width_; }
  SInt16 height() const { return height_; }
  Pixel At(int x, int y) const;  // counted from the image's own top-left
  void Set(int x, int y, Pixel p);

 private:
  GWorldPtr gw_ = nullptr;
  SInt16 width_, height_;
};

Pixel PixelAt(GWorldPtr gw, int x, int y);
void SetPixel(GWorldPtr gw, int x, int y, Pixel p);

// The test clip's frame `index`: every pixel a different mix of position and
// index, alpha included.
Pixel PatternPixel(SInt32 index, int x, int y);
void PaintPattern(SInt32 index, GWorldPtr into);

}  // namespace zv::test
