// Drawing into the current port: the pen, clipping, rectangles and ovals.
// Every shape is reduced to at most two horizontal spans per row.
//
// Sections: inks and spans · pen and clip · rectangles · ovals.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "quickdraw/Port.h"

namespace {

using zv::qd::IRect;

// ---- Inks and spans ---------------------------------------------------------

struct Ink {
  bool invert;
  std::uint32_t paint;  // the pixel to store, in memory order
};

std::uint32_t opaque(const RGBColor &c) {
  const std::uint8_t bytes[4] = {0xFF, static_cast<std::uint8_t>(c.red >> 8), static_cast<std::uint8_t>(c.green >> 8),
                                 static_cast<std::uint8_t>(c.blue >> 8)};
  std::uint32_t v;
  std::memcpy(&v, bytes, 4);
  return v;
}

Ink paintInk(const RGBColor &c) { return {false, opaque(c)}; }
Ink invertInk() { return {true, 0}; }

// Applies ink to columns [x0, x1) of row y, limited to area.
void span(const OpaqueGrafPtr &port, const IRect &area, int y, int x0, int x1, Ink ink) {
  if (y < area.top || y >= area.bottom) return;
  x0 = std::max(x0, area.left);
  x1 = std::min(x1, area.right);
  if (x0 >= x1) return;
  const BitMap &bits = port.pixMap.bits;
  std::uint8_t *p = zv::qd::rowAt(bits, y) + 4 * static_cast<std::ptrdiff_t>(x0 - bits.bounds.left);
  const int n = x1 - x0;
  if (ink.invert) {
    for (int i = 0; i < n; ++i, p += 4) {
      p[1] ^= 0xFF;
      p[2] ^= 0xFF;
      p[3] ^= 0xFF;
    }
  } else {
    for (int i = 0; i < n; ++i, p += 4) std::memcpy(p, &ink.paint, 4);
  }
}

// Both spans of one row; they are merged when they meet.
void twoSpans(const OpaqueGrafPtr &port, const IRect &area, int y, int l0, int l1, int r0, int r1, Ink ink) {
  if (l1 >= r0) {
    span(port, area, y, l0, r1, ink);
  } else {
    span(port, area, y, l0, l1, ink);
    span(port, area, y, r0, r1, ink);
  }
}

void fill(const Rect *r, Ink ink) {
  OpaqueGrafPtr *port = zv::qd::currentPort();
  if (!port || !r) return;
  const IRect area = zv::qd::intersect(zv::qd::drawableArea(*port), zv::qd::toIRect(*r));
  for (int y = area.top; y < area.bottom; ++y) span(*port, area, y, area.left, area.right, ink);
}

// ---- Ovals ------------------------------------------------------------------

// Columns [left, right) of row j of the filled ellipse inscribed in a w x h box,
// relative to the box. A pixel belongs when its centre lies inside; rows are
// computed from |row - centre| only, so the shape is symmetric. So that the oval
// touches all four sides however flat it is, a row that would be empty keeps its
// middle pixel(s), and the middle row(s) span the whole width.
struct RowSpan {
  int left, right;
};

RowSpan ovalRow(int w, int h, int j) {
  if (j == (h - 1) / 2 || j == h / 2) return {0, w};
  // Doubled coordinates about the centre: u = 2i + 1 - w, v = 2j + 1 - h;
  // inside when u^2 h^2 + v^2 w^2 <= w^2 h^2.
  using Wide = __int128;
  const Wide W = w, H = h, v = 2 * j + 1 - h;
  const Wide rest = W * W * H * H - v * v * W * W;
  auto fits = [&](Wide u) { return u * u * H * H <= rest; };
  long long u = static_cast<long long>(std::sqrt(static_cast<long double>(rest) / static_cast<long double>(H * H)));
  while (u > 0 && !fits(u)) --u;
  while (fits(u + 1)) ++u;
  // Columns with |2i + 1 - w| <= u.
  int left = static_cast<int>((w - 1 - u + 1) / 2);  // ceil((w - 1 - u) / 2); w - 1 - u >= -1
  int right = static_cast<int>((w - 1 + u) / 2) + 1;
  if (w - 1 - u < 0) left = 0;
  if (left >= right) {
    left = (w - 1) / 2;
    right = w / 2 + 1;
  }
  return {left, right};
}

// One row of a 1-pixel outline: each side reaches over to where the next row
// further from the centre starts, so the outline has no gaps.
void outlineRow(int w, int h, int j, RowSpan &leftSeg, RowSpan &rightSeg) {
  const RowSpan s = ovalRow(w, h, j);
  const int outer = (2 * j + 1 <= h) ? j - 1 : j + 1;
  if (outer < 0 || outer >= h) {
    leftSeg = rightSeg = s;
    return;
  }
  const RowSpan o = ovalRow(w, h, outer);
  leftSeg = {s.left, std::max(s.left + 1, o.left)};
  rightSeg = {std::min(s.right - 1, o.right), s.right};
}

}  // namespace

extern "C" {

// ---- Pen and clip -----------------------------------------------------------

void ClipRect(const Rect *r) {
  if (OpaqueGrafPtr *port = zv::qd::currentPort(); port && r) port->clip = *r;
}

// The pen is always one pixel and every mode paints: nothing here draws
// otherwise.
void PenNormal(void) {}

void PenMode(short) {}

// ---- Rectangles -------------------------------------------------------------

void FrameRect(const Rect *r) {
  OpaqueGrafPtr *port = zv::qd::currentPort();
  if (!port || !r) return;
  const IRect box = zv::qd::toIRect(*r);
  if (box.empty()) return;
  const IRect area = zv::qd::intersect(zv::qd::drawableArea(*port), box);
  const Ink ink = paintInk(port->fore);
  for (int y = area.top; y < area.bottom; ++y) {
    if (y == box.top || y == box.bottom - 1)
      span(*port, area, y, box.left, box.right, ink);
    else
      twoSpans(*port, area, y, box.left, box.left + 1, box.right - 1, box.right, ink);
  }
}

void PaintRect(const Rect *r) {
  if (OpaqueGrafPtr *port = zv::qd::currentPort()) fill(r, paintInk(port->fore));
}

void EraseRect(const Rect *r) {
  if (OpaqueGrafPtr *port = zv::qd::currentPort()) fill(r, paintInk(port->back));
}

void InvertRect(const Rect *r) { fill(r, invertInk()); }

// ---- Ovals ------------------------------------------------------------------

void FrameOval(const Rect *r) {
  OpaqueGrafPtr *port = zv::qd::currentPort();
  if (!port || !r) return;
  const IRect box = zv::qd::toIRect(*r);
  if (box.empty()) return;
  const IRect area = zv::qd::intersect(zv::qd::drawableArea(*port), box);
  const Ink ink = paintInk(port->fore);
  const int w = box.right - box.left, h = box.bottom - box.top;
  for (int y = area.top; y < area.bottom; ++y) {
    RowSpan l, rt;
    outlineRow(w, h, y - box.top, l, rt);
    twoSpans(*port, area, y, box.left + l.left, box.left + l.right, box.left + rt.left, box.left + rt.right, ink);
  }
}

}  // extern "C"
