#include "YcbcrRoad.h"

#include "callpixelfx.h"
#include "relrects.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zv::adapters {

namespace {

// ---- Samples ------------------------------------------------------------------

// Where one image keeps its samples, the layout fixed at compile time so the
// per-pixel loops carry no switch; chroma is addressed by block.
template <YcbcrLayout L>
class Samples {
 public:
  static constexpr bool kDeep = L == YcbcrLayout::kPlanar422x16;

  explicit Samples(const YcbcrImage &image) : im_(image) {}

  unsigned Luma(int x, int y) const {
    const std::uint8_t *row = im_.planes[0] + y * im_.strides[0];
    if constexpr (L == YcbcrLayout::kPacked422) return row[2 * x];
    else return Get(row + (kDeep ? 2 : 1) * x);
  }
  void SetLuma(int x, int y, unsigned v) const {
    std::uint8_t *row = im_.planes[0] + y * im_.strides[0];
    if constexpr (L == YcbcrLayout::kPacked422) row[2 * x] = static_cast<std::uint8_t>(v);
    else Put(row + (kDeep ? 2 : 1) * x, v);
  }
  // c: 0 for Cb, 1 for Cr.
  unsigned Chroma(int c, int bx, int by) const { return Get(ChromaAt(c, bx, by)); }
  void SetChroma(int c, int bx, int by, unsigned v) const { Put(ChromaAt(c, bx, by), v); }

 private:
  static unsigned Get(const std::uint8_t *p) {
    if constexpr (kDeep) return p[0] | p[1] << 8;  // little-endian
    else return *p;
  }
  static void Put(std::uint8_t *p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    if constexpr (kDeep) p[1] = static_cast<std::uint8_t>(v >> 8);
  }
  std::uint8_t *ChromaAt(int c, int bx, int by) const {
    if constexpr (L == YcbcrLayout::kPacked422) return im_.planes[0] + by * im_.strides[0] + 4 * bx + 1 + 2 * c;
    else return im_.planes[1 + c] + by * im_.strides[1 + c] + (kDeep ? 2 : 1) * bx;
  }
  const YcbcrImage &im_;
};

// ---- Colour -------------------------------------------------------------------

// R'G'B' runs over 0..255 whatever the samples' depth, so the pixel loop's
// 8-bit values and the frame's own colours meet on one scale.
struct MATRIX {
  float kr, kg, kb;
  float yOff, cMid, maxCode;
  float fromY, rFromCr, bFromCb, gFromCb, gFromCr;  // codes to R'G'B'
  float toY, toCb, toCr;                            // R'G'B' differences to code differences
};

MATRIX MatrixOf(const YcbcrImage &image) {
  double kr = 0.299, kb = 0.114;
  switch (image.colorspace) {
    case 709: kr = 0.2126, kb = 0.0722; break;
    case 240: kr = 0.212, kb = 0.087; break;
    case 2020: kr = 0.2627, kb = 0.0593; break;
    default: break;
  }
  const double kg = 1.0 - kr - kb;
  const bool deep = image.layout == YcbcrLayout::kPlanar422x16;
  const double maxCode = deep ? 65535.0 : 255.0, step = deep ? 256.0 : 1.0;
  const double yOff = image.fullRange ? 0 : 16 * step, yRange = image.fullRange ? maxCode : 219 * step;
  const double cMid = image.fullRange ? (deep ? 32768.0 : 128.0) : 128 * step;
  const double cRange = image.fullRange ? maxCode : 224 * step;
  const double fromC = 255 / cRange;
  MATRIX m{};
  m.kr = static_cast<float>(kr), m.kg = static_cast<float>(kg), m.kb = static_cast<float>(kb);
  m.yOff = static_cast<float>(yOff), m.cMid = static_cast<float>(cMid), m.maxCode = static_cast<float>(maxCode);
  m.fromY = static_cast<float>(255 / yRange);
  m.rFromCr = static_cast<float>(2 * (1 - kr) * fromC), m.bFromCb = static_cast<float>(2 * (1 - kb) * fromC);
  m.gFromCb = static_cast<float>(2 * (1 - kb) * kb / kg * fromC);
  m.gFromCr = static_cast<float>(2 * (1 - kr) * kr / kg * fromC);
  m.toY = static_cast<float>(yRange / 255);
  m.toCb = static_cast<float>(cRange / 255 / (2 * (1 - kb))), m.toCr = static_cast<float>(cRange / 255 / (2 * (1 - kr)));
  return m;
}

struct RGB {
  float c[3];
};

RGB ToRGB(const MATRIX &m, unsigned y, unsigned cb, unsigned cr) {
  const float luma = (static_cast<float>(y) - m.yOff) * m.fromY;
  const float pb = static_cast<float>(cb) - m.cMid, pr = static_cast<float>(cr) - m.cMid;
  return RGB{{luma + m.rFromCr * pr, luma - m.gFromCb * pb - m.gFromCr * pr, luma + m.bFromCb * pb}};
}

unsigned Code(const MATRIX &m, float v) { return static_cast<unsigned>(std::clamp(v, 0.0f, m.maxCode) + 0.5f); }

std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

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

// The untouched frame drawn over the effect: the fades' blend of R'G'B'
// (zv::blend::BlendChannel), on samples of up to 16 bits.
unsigned Blend(unsigned untouched, unsigned lifted, SInt16 opacity) {
  if (opacity < 0) return lifted;
  return (untouched * opacity + lifted * (255 - opacity) + 127) / 255;
}

// A pixel's new colour is its own with the channels the loop changed set to the
// loop's values, so nothing unchanged picks up rounding. Conversion is linear:
// the codes move by the conversion of that difference alone.
template <YcbcrLayout L>
void WriteBlock(const Samples<L> &s, const MATRIX &m, const PATCH &patch, const BLOCK &b, const Rect &active,
                SInt16 opacity) {
  const unsigned cb = s.Chroma(0, b.bx, b.by), cr = s.Chroma(1, b.bx, b.by);
  float dCb = 0, dCr = 0;
  int inside = 0;
  for (int y = b.y0; y < b.y0 + b.h; ++y)
    for (int x = b.x0; x < b.x0 + b.w; ++x) {
      if (!Inside(active, x, y)) continue;
      ++inside;
      const std::uint8_t *before = patch.Before(x, y), *after = patch.After(x, y);
      if (before[0] == after[0] && before[1] == after[1] && before[2] == after[2]) continue;
      const unsigned luma = s.Luma(x, y);
      const RGB own = ToRGB(m, luma, cb, cr);
      float d[3];
      for (int c = 0; c < 3; ++c) d[c] = after[c] != before[c] ? after[c] - own.c[c] : 0.0f;
      const float dLuma = m.kr * d[0] + m.kg * d[1] + m.kb * d[2];
      s.SetLuma(x, y, Blend(luma, Code(m, static_cast<float>(luma) + dLuma * m.toY), opacity));
      dCb += (d[2] - dLuma) * m.toCb, dCr += (d[0] - dLuma) * m.toCr;
    }
  if (inside != b.w * b.h || (dCb == 0 && dCr == 0)) return;  // cut by the edge: the chroma stays
  s.SetChroma(0, b.bx, b.by, Blend(cb, Code(m, static_cast<float>(cb) + dCb / inside), opacity));
  s.SetChroma(1, b.bx, b.by, Blend(cr, Code(m, static_cast<float>(cr) + dCr / inside), opacity));
}

template <YcbcrLayout L>
bool Render(const PLUGINDATAREC &theConfig, const YcbcrImage &image, Rect active, SInt16 opacity) {
  constexpr int bw = 2, bh = L == YcbcrLayout::kPlanar420 ? 2 : 1;
  // Reused by each rendering thread, so a frame allocates no pixels once warm.
  thread_local PATCH mine;
  PATCH &patch = mine;  // one look-up of the thread's patch, not one per block
  patch.x0 = active.left / bw * bw, patch.y0 = active.top / bh * bh;
  patch.width = (active.right + bw - 1) / bw * bw - patch.x0;
  patch.height = (active.bottom + bh - 1) / bh * bh - patch.y0;
  const std::size_t bytes = 4 * static_cast<std::size_t>(patch.width) * patch.height;
  patch.before.resize(bytes), patch.after.resize(bytes);

  const Samples<L> s(image);
  const MATRIX m = MatrixOf(image);
  std::uint8_t *px = patch.before.data();
  for (int y = patch.y0; y < patch.y0 + patch.height; ++y)
    for (int x = patch.x0; x < patch.x0 + patch.width; x += bw) {
      const unsigned cb = s.Chroma(0, x / bw, y / bh), cr = s.Chroma(1, x / bw, y / bh);
      for (int i = 0; i < bw; ++i, px += 4) {
        const RGB rgb = ToRGB(m, s.Luma(x + i, y), cb, cr);
        px[0] = Byte(rgb.c[0]), px[1] = Byte(rgb.c[1]), px[2] = Byte(rgb.c[2]), px[3] = 255;
      }
    }
  if (!Lift(patch, active, theConfig)) return false;

  for (int by = patch.y0; by < patch.y0 + patch.height; by += bh)
    for (int bx = patch.x0; bx < patch.x0 + patch.width; bx += bw)
      WriteBlock(s, m, patch, BLOCK{bx / bw, by / bh, bx, by, bw, bh}, active, opacity);
  return true;
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

  switch (image.layout) {
    case YcbcrLayout::kPacked422: return Render<YcbcrLayout::kPacked422>(theConfig, image, active, opacity);
    case YcbcrLayout::kPlanar420: return Render<YcbcrLayout::kPlanar420>(theConfig, image, active, opacity);
    case YcbcrLayout::kPlanar422x16: return Render<YcbcrLayout::kPlanar422x16>(theConfig, image, active, opacity);
  }
  return false;
}

}  // namespace zv::adapters
