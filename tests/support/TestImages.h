// Small helpers for images in tests: make, paint, read pixels, draw into one.
#pragma once

#include <QuickDraw.h>

#include <array>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zv::test {

using Pixel = std::array<UInt8, 4>;  // alpha, red, green, blue

inline UInt8 *PixelPtr(GWorldPtr gw, int x, int y) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  return reinterpret_cast<UInt8 *>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
}
inline Pixel PixelAt(GWorldPtr gw, int x, int y) {
  const UInt8 *p = PixelPtr(gw, x, y);
  return {p[0], p[1], p[2], p[3]};
}
inline void SetPixel(GWorldPtr gw, int x, int y, Pixel px) { std::copy(px.begin(), px.end(), PixelPtr(gw, x, y)); }

// An image owned by the test; pixels counted from its own top-left.
class Image {
 public:
  Image(SInt16 width, SInt16 height) : Image(Rect{0, 0, height, width}) {}
  Image(Rect b) {
    if (NewGWorld(&gw_, 32, &b, nullptr, nullptr, 0) != noErr || !gw_) throw std::runtime_error("NewGWorld failed");
  }
  ~Image() { DisposeGWorld(gw_); }
  Image(const Image &) = delete;
  Image &operator=(const Image &) = delete;

  GWorldPtr gw() const { return gw_; }
  const BitMap *bits() const { return GetPortBitMapForCopyBits(gw_); }
  Rect bounds() const {
    Rect r;
    GetPortBounds(gw_, &r);
    return r;
  }
  int width() const { return bounds().right - bounds().left; }
  int height() const { return bounds().bottom - bounds().top; }
  long rowBytes() const { return GetPixRowBytes(GetGWorldPixMap(gw_)); }
  Pixel At(int x, int y) const { return PixelAt(gw_, x, y); }
  void Set(int x, int y, Pixel p) { SetPixel(gw_, x, y, p); }
  void Fill(Pixel p) {
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) Set(x, y, p);
  }

  // One character per pixel, rows top to bottom; pixels not in the legend show as '?'.
  std::vector<std::string> Picture(const std::vector<std::pair<char, Pixel>> &legend) const {
    std::vector<std::string> rows(height(), std::string(width(), '?'));
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x)
        for (const auto &[ch, px] : legend)
          if (At(x, y) == px) rows[y][x] = ch;
    return rows;
  }

 private:
  GWorldPtr gw_ = nullptr;
};

// Makes a port current for one test and puts the previous one back.
struct PortScope {
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  explicit PortScope(GWorldPtr port) {
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(port, nullptr);
  }
  ~PortScope() { SetGWorld(savedPort, savedDevice); }
};

// The test clip's frame `index`: every pixel a different mix of position and
// index, alpha included.
inline Pixel PatternPixel(SInt32 index, int x, int y) {
  return {static_cast<UInt8>(x * 7 + y * 3 + index), static_cast<UInt8>(x * 5 + index * 11),
          static_cast<UInt8>(y * 9 + index * 3), static_cast<UInt8>(x + y * 2 + index * 17)};
}
inline void PaintPattern(SInt32 index, GWorldPtr into) {
  Rect b;
  GetPortBounds(into, &b);
  for (int y = 0; y < b.bottom - b.top; ++y)
    for (int x = 0; x < b.right - b.left; ++x) SetPixel(into, x, y, PatternPixel(index, x, y));
}

}  // namespace zv::test
