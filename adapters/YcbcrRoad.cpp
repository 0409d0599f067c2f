#include "YcbcrRoad.h"

#include "callpixelfx.h"
#include "relrects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace zv::adapters {

namespace {

// ---- Samples ------------------------------------------------------------------

unsigned Read16(const std::uint8_t *p) { return p[0] | p[1] << 8; }
void Write16(std::uint8_t *p, unsigned v) { p[0] = v & 0xff, p[1] = v >> 8; }

// Where one image keeps its samples; chroma is addressed by block.
class Samples {
 public:
  explicit Samples(const YcbcrImage &image) : im_(image) {}

  unsigned Luma(int x, int y) const {
    const std::uint8_t *row = im_.planes[0] + y * im_.strides[0];
    switch (im_.layout) {
      case YcbcrLayout::kPacked422: return row[2 * x];
      case YcbcrLayout::kPlanar420: return row[x];
      case YcbcrLayout::kPlanar422x16: return Read16(row + 2 * x);
    }
    return 0;
  }
  void SetLuma(int x, int y, unsigned v) const {
    std::uint8_t *row = im_.planes[0] + y * im_.strides[0];
    if (im_.layout == YcbcrLayout::kPlanar422x16) Write16(row + 2 * x, v);
    else row[im_.layout == YcbcrLayout::kPacked422 ? 2 * x : x] = static_cast<std::uint8_t>(v);
  }
  // c: 0 for Cb, 1 for Cr.
  unsigned Chroma(int c, int bx, int by) const {
    const std::uint8_t *p = ChromaAt(c, bx, by);
    return im_.layout == YcbcrLayout::kPlanar422x16 ? Read16(p) : *p;
  }
  void SetChroma(int c, int bx, int by, unsigned v) const {
    std::uint8_t *p = ChromaAt(c, bx, by);
    if (im_.layout == YcbcrLayout::kPlanar422x16) Write16(p, v);
    else *p = static_cast<std::uint8_t>(v);
  }

 private:
  std::uint8_t *ChromaAt(int c, int bx, int by) const {
    if (im_.layout == YcbcrLayout::kPacked422) return im_.planes[0] + by * im_.strides[0] + 4 * bx + 1 + 2 * c;
    const int size = im_.layout == YcbcrLayout::kPlanar422x16 ? 2 : 1;
    return im_.planes[1 + c] + by * im_.strides[1 + c] + size * bx;
  }
  const YcbcrImage &im_;
};

// ---- Colour -------------------------------------------------------------------

// R'G'B' run over 0..255 whatever the samples' depth, so the pixel loop's
// 8-bit values and the frame's own colours meet on one scale.
struct RGB {
  double c[3];
};

struct MATRIX {
  double kr, kg, kb;
  double yOff, yRange, cMid, cRange, maxCode;
};

MATRIX MatrixOf(const YcbcrImage &image) {
  MATRIX m{};
  switch (image.colorspace) {
    case 709: m.kr = 0.2126, m.kb = 0.0722; break;
    case 240: m.kr = 0.212, m.kb = 0.087; break;
    case 2020: m.kr = 0.2627, m.kb = 0.0593; break;
    default: m.kr = 0.299, m.kb = 0.114; break;
  }
  m.kg = 1.0 - m.kr - m.kb;
  const bool deep = image.layout == YcbcrLayout::kPlanar422x16;
  m.maxCode = deep ? 65535.0 : 255.0;
  if (image.fullRange) {
    m.yOff = 0, m.yRange = m.maxCode, m.cMid = deep ? 32768.0 : 128.0, m.cRange = m.maxCode;
  } else {
    const double step = deep ? 256.0 : 1.0;
    m.yOff = 16 * step, m.yRange = 219 * step, m.cMid = 128 * step, m.cRange = 224 * step;
  }
  return m;
}

RGB ToRGB(const MATRIX &m, unsigned y, unsigned cb, unsigned cr) {
  const double luma = (y - m.yOff) / m.yRange, pb = (cb - m.cMid) / m.cRange, pr = (cr - m.cMid) / m.cRange;
  const double r = luma + 2 * (1 - m.kr) * pr, b = luma + 2 * (1 - m.kb) * pb;
  const double g = (luma - m.kr * r - m.kb * b) / m.kg;
  return RGB{{r * 255, g * 255, b * 255}};
}

double LumaCode(const MATRIX &m, const RGB &px) {
  return m.yOff + m.yRange * (m.kr * px.c[0] + m.kg * px.c[1] + m.kb * px.c[2]) / 255;
}

// c: 0 for Cb, 1 for Cr.
double ChromaCode(const MATRIX &m, const RGB &px, int c) {
  const double luma = (m.kr * px.c[0] + m.kg * px.c[1] + m.kb * px.c[2]) / 255;
  const double k = c ? m.kr : m.kb;
  return m.cMid + m.cRange * (px.c[c ? 0 : 2] / 255 - luma) / (2 * (1 - k));
}

unsigned Code(const MATRIX &m, double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, m.maxCode))); }

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// ---- The pixel loop's patch ----------------------------------------------------

// The patch of whole chroma blocks around the rectangle, as RGBA for the pixel
// loop: before the effect and after it.
struct PATCH {
  int x0, y0, width, height;
  std::vector<std::uint8_t> before, after;

  const std::uint8_t *Before(int x, int y) const { return &before[4 * ((y - y0) * width + (x - x0))]; }
  const std::uint8_t *After(int x, int y) const { return &after[4 * ((y - y0) * width + (x - x0))]; }
};

GWorldPtr OverBuffer(std::vector<std::uint8_t> &pixels, int width, int height) {
  const Rect bounds = {0, 0, static_cast<short>(height), static_cast<short>(width)};
  GWorldPtr port = nullptr;
  NewGWorldFromPtr(&port, k32RGBAPixelFormat, &bounds, nullptr, nullptr, 0, reinterpret_cast<Ptr>(pixels.data()),
                   4L * width);
  return port;
}

// The effect through the plug-in's own loop, the rectangle moved into the patch.
bool Lift(PATCH &patch, Rect active, const PLUGINDATAREC &theConfig) {
  GWorldPtr source = OverBuffer(patch.before, patch.width, patch.height);
  GWorldPtr dest = OverBuffer(patch.after, patch.width, patch.height);
  if (source && dest) {
    OffsetRect(&active, static_cast<short>(-patch.x0), static_cast<short>(-patch.y0));
    PixelDrive(source, dest, active, const_cast<PLUGINDATAPTR>(&theConfig), 0, 0);
  }
  if (source) DisposeGWorld(source);
  if (dest) DisposeGWorld(dest);
  return source && dest;
}

// ---- One chroma block ------------------------------------------------------------

struct BLOCK {
  int bx, by;        // in chroma samples
  int x0, y0, w, h;  // its pixels
};

bool Inside(const Rect &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The untouched frame drawn over the effect, as the render pass blends fades.
unsigned Blend(unsigned untouched, unsigned lifted, SInt16 opacity) {
  if (opacity < 0) return lifted;
  return (untouched * opacity + lifted * (255 - opacity) + 127) / 255;
}

// A pixel's new colour: the channels the loop changed take its value, the
// others keep the frame's own, so nothing unchanged picks up rounding.
RGB NewColour(const Samples &s, const MATRIX &m, const PATCH &patch, const BLOCK &b, int x, int y) {
  RGB px = ToRGB(m, s.Luma(x, y), s.Chroma(0, b.bx, b.by), s.Chroma(1, b.bx, b.by));
  const std::uint8_t *before = patch.Before(x, y), *after = patch.After(x, y);
  for (int c = 0; c < 3; ++c)
    if (after[c] != before[c]) px.c[c] = after[c];
  return px;
}

bool Changed(const PATCH &patch, const BLOCK &b) {
  for (int y = b.y0; y < b.y0 + b.h; ++y)
    if (std::memcmp(patch.Before(b.x0, y), patch.After(b.x0, y), 4 * static_cast<std::size_t>(b.w))) return true;
  return false;
}

void WriteBlock(const Samples &s, const MATRIX &m, const PATCH &patch, const BLOCK &b, const Rect &active,
                SInt16 opacity) {
  double chroma[2] = {0, 0};
  int inside = 0;
  for (int y = b.y0; y < b.y0 + b.h; ++y)
    for (int x = b.x0; x < b.x0 + b.w; ++x) {
      if (!Inside(active, x, y)) continue;
      const RGB px = NewColour(s, m, patch, b, x, y);
      s.SetLuma(x, y, Blend(s.Luma(x, y), Code(m, LumaCode(m, px)), opacity));
      for (int c = 0; c < 2; ++c) chroma[c] += ChromaCode(m, px, c);
      ++inside;
    }
  if (inside != b.w * b.h) return;  // cut by the edge: the chroma stays
  for (int c = 0; c < 2; ++c)
    s.SetChroma(c, b.bx, b.by, Blend(s.Chroma(c, b.bx, b.by), Code(m, chroma[c] / inside), opacity));
}

}  // namespace

bool RenderYcbcrFrame(const PLUGINDATAREC &theConfig, const YcbcrImage &image, SInt16 opacity) {
  constexpr int kMaxSide = 32767;
  const int bw = 2, bh = image.layout == YcbcrLayout::kPlanar420 ? 2 : 1;
  if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide ||
      image.width % bw || image.height % bh)
    return false;
  const Rect frame = {0, 0, static_cast<short>(image.height), static_cast<short>(image.width)};
  Rect active = Rel2Rect(theConfig.STARTREL, frame);
  active.left = std::clamp<short>(active.left, 0, frame.right);
  active.right = std::clamp<short>(active.right, active.left, frame.right);
  active.top = std::clamp<short>(active.top, 0, frame.bottom);
  active.bottom = std::clamp<short>(active.bottom, active.top, frame.bottom);
  if (active.left == active.right || active.top == active.bottom) return true;

  // Reused by each rendering thread, so a frame allocates nothing once warm.
  thread_local PATCH patch;
  patch.x0 = active.left / bw * bw, patch.y0 = active.top / bh * bh;
  patch.width = (active.right + bw - 1) / bw * bw - patch.x0;
  patch.height = (active.bottom + bh - 1) / bh * bh - patch.y0;
  const std::size_t bytes = 4 * static_cast<std::size_t>(patch.width) * patch.height;
  patch.before.resize(bytes), patch.after.resize(bytes);

  const Samples s(image);
  const MATRIX m = MatrixOf(image);
  std::uint8_t *px = patch.before.data();
  for (int y = patch.y0; y < patch.y0 + patch.height; ++y)
    for (int x = patch.x0; x < patch.x0 + patch.width; ++x, px += 4) {
      const RGB rgb = ToRGB(m, s.Luma(x, y), s.Chroma(0, x / bw, y / bh), s.Chroma(1, x / bw, y / bh));
      px[0] = Byte(rgb.c[0]), px[1] = Byte(rgb.c[1]), px[2] = Byte(rgb.c[2]), px[3] = 255;
    }
  if (!Lift(patch, active, theConfig)) return false;

  for (int by = patch.y0; by < patch.y0 + patch.height; by += bh)
    for (int bx = patch.x0; bx < patch.x0 + patch.width; bx += bw) {
      const BLOCK b{bx / bw, by / bh, bx, by, bw, bh};
      if (Changed(patch, b)) WriteBlock(s, m, patch, b, active, opacity);
    }
  return true;
}

}  // namespace zv::adapters
