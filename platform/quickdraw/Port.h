// The port record behind GrafPtr, and what the QuickDraw units share.
// One kind of port serves offscreen images and window ports alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include "QuickDraw.h"

// What CopyBits reads: a port's pixels, reached from the port itself.
struct BitMap {
  Ptr baseAddr;
  long rowBytes;
  Rect bounds;
  OpaqueGrafPtr *port;
};

struct PixMap {
  BitMap bits;
  GWorldFlags state;  // pixelsLocked, pixelsPurgeable as last set
  short pixelSize;
  OSType pixelFormat;  // k32ARGBPixelFormat, or k32RGBAPixelFormat over a caller's buffer
  bool ownsPixels;     // false over a caller's buffer
};

struct OpaqueGrafPtr {
  PixMap pixMap;
  PixMapPtr master;  // &pixMap; a PixMapHandle is &master
  RGBColor fore;
  RGBColor back;
  Rect clip;
};

namespace zv::qd {

// The current port, or nullptr.
OpaqueGrafPtr *currentPort();

// One pixel as stored: alpha, red, green, blue in memory order.
struct Pixel {
  std::uint8_t a, r, g, b;
};
static_assert(sizeof(Pixel) == 4);

inline std::uint8_t *rowAt(const BitMap &bits, int y) {
  return reinterpret_cast<std::uint8_t *>(bits.baseAddr) +
         static_cast<std::ptrdiff_t>(y - bits.bounds.top) * bits.rowBytes;
}

// Rectangle arithmetic in int, so nothing wraps at the 16-bit edges.
struct IRect {
  int top, left, bottom, right;
  bool empty() const { return bottom <= top || right <= left; }
};

inline IRect toIRect(const Rect &r) { return {r.top, r.left, r.bottom, r.right}; }

inline IRect intersect(const IRect &a, const IRect &b) {
  return {a.top > b.top ? a.top : b.top, a.left > b.left ? a.left : b.left, a.bottom < b.bottom ? a.bottom : b.bottom,
          a.right < b.right ? a.right : b.right};
}

// Where a port's drawing may land: its clip rectangle within its bounds.
inline IRect drawableArea(const OpaqueGrafPtr &port) {
  return intersect(toIRect(port.pixMap.bits.bounds), toIRect(port.clip));
}

}  // namespace zv::qd
