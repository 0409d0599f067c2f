#include "pixeleffect.h"

#include "PascalPixelLib.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Each row is a copied prefix, a lifted middle and a copied suffix. The middle
// is a byte-wise maximum against the repeating pattern (0, red, green, blue):
// alpha's floor of 0 leaves it alone, and a channel above its floor stays.

namespace {

struct FLOORS {
  UInt8 pattern[16];  // four pixels' worth of (0, RED, GREEN, BLUE)
};

// Images over a filter host's frames keep red, green, blue, alpha order; the
// pattern follows the pixels, so they are lifted where they lie.
FLOORS MakeFloors(const PLUGINDATAREC &theConfig, OSType pixelFormat) {
  FLOORS f;
  const UInt8 red = static_cast<UInt8>(Slider2Floor(theConfig.SLIDERS[0]));
  const UInt8 green = static_cast<UInt8>(Slider2Floor(theConfig.SLIDERS[1]));
  const UInt8 blue = static_cast<UInt8>(Slider2Floor(theConfig.SLIDERS[2]));
  const UInt8 argb[4] = {0, red, green, blue}, rgba[4] = {red, green, blue, 0};
  const UInt8 *px = pixelFormat == k32RGBAPixelFormat ? rgba : argb;
  for (int i = 0; i < 16; ++i) f.pattern[i] = px[i & 3];
  return f;
}

void CopyPixels(const UInt8 *src, UInt8 *dst, size_t count) {
  if (src != dst && count) std::memmove(dst, src, count * 4);
}

void LiftPixels(const UInt8 *src, UInt8 *dst, size_t count, const FLOORS &f) {
  size_t bytes = count * 4, i = 0;
#if defined(__SSE2__)
  const __m128i floor = _mm_loadu_si128(reinterpret_cast<const __m128i *>(f.pattern));
  for (; i + 64 <= bytes; i += 64) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 16));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 32));
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_max_epu8(a, floor));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 16), _mm_max_epu8(b, floor));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 32), _mm_max_epu8(c, floor));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 48), _mm_max_epu8(d, floor));
  }
  for (; i + 16 <= bytes; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_max_epu8(a, floor));
  }
#endif
  for (; i < bytes; ++i) dst[i] = std::max(src[i], f.pattern[i & 15]);
}

// An interval [from, to) of a row of `size` pixels, clamped into it.
struct SPAN {
  int from;
  int to;
};

SPAN ClampSpan(int lo, int hi, int size) {
  const int from = std::clamp(lo, 0, size);
  const int to = std::clamp(hi, from, size);
  return {from, to};
}

int Width(const Rect &r) { return r.right - r.left; }
int Height(const Rect &r) { return r.bottom - r.top; }

// Rows outside `rows` are copied; inside, the pixels of `cols` are lifted.
void LiftRows(const UInt8 *src, SInt32 srcRowBytes, UInt8 *dst, SInt32 dstRowBytes, int width, int height,
              const FLOORS &floors, SPAN cols, SPAN rows) {
  for (int row = 0; row < height; ++row, src += srcRowBytes, dst += dstRowBytes) {
    if (row < rows.from || row >= rows.to || cols.from == cols.to) {
      CopyPixels(src, dst, width);
      continue;
    }
    CopyPixels(src, dst, cols.from);
    LiftPixels(src + 4 * cols.from, dst + 4 * cols.from, cols.to - cols.from, floors);
    CopyPixels(src + 4 * cols.to, dst + 4 * cols.to, width - cols.to);
  }
}

void PixelEffect(GrafPtr source, GrafPtr dest, Rect activeRect, Boolean, PLUGINDATAPTR theConfig) {
  if (!dest) dest = source;
  if (!source || !dest) return;

  Ptr srcBase, dstBase;
  SInt32 srcRowBytes, dstRowBytes;
  Rect theFrame, theTargetFrame;
  GWorldFlags srcFlags, dstFlags;
  GetPixInfoFromGWorld(source, srcBase, srcRowBytes, theFrame, srcFlags);
  GetPixInfoFromGWorld(dest, dstBase, dstRowBytes, theTargetFrame, dstFlags);

  // Sizes are compared, and each buffer is walked from its own origin, so
  // images whose bounds do not start at (0, 0) are handled too.
  const int width = Width(theTargetFrame), height = Height(theTargetFrame);
  const OSType format = GetPixPixelFormat(GetGWorldPixMap(dest));
  if (Width(theFrame) == width && Height(theFrame) == height && GetPixPixelFormat(GetGWorldPixMap(source)) == format) {
    const SPAN cols = ClampSpan(activeRect.left - theTargetFrame.left, activeRect.right - theTargetFrame.left, width);
    const SPAN rows = ClampSpan(activeRect.top - theTargetFrame.top, activeRect.bottom - theTargetFrame.top, height);
    LiftRows(reinterpret_cast<const UInt8 *>(srcBase), srcRowBytes, reinterpret_cast<UInt8 *>(dstBase), dstRowBytes,
             width, height, MakeFloors(*theConfig, format), cols, rows);
  }

  SetPixelsState(GetGWorldPixMap(source), srcFlags);
  SetPixelsState(GetGWorldPixMap(dest), dstFlags);
}

}  // namespace

SInt16 Slider2Floor(SInt16 slider) {
  const int floor = slider * 255 / 100;  // equals trunc(slider x 2.55) without falling short at 100
  return static_cast<SInt16>(std::clamp(floor, 0, 255));
}

void ApplyPixelEffectToRows(const UInt8 *src, SInt32 srcRowBytes, UInt8 *dst, SInt32 dstRowBytes, int width,
                            int height, OSType pixelFormat, Rect activeRect, const PLUGINDATAREC &theConfig) {
  if (width <= 0 || height <= 0) return;
  LiftRows(src, srcRowBytes, dst, dstRowBytes, width, height, MakeFloors(theConfig, pixelFormat),
           ClampSpan(activeRect.left, activeRect.right, width), ClampSpan(activeRect.top, activeRect.bottom, height));
}

void ThePixelEffect(GrafPtr source, GrafPtr dest, Rect activeRect, Boolean, PLUGINDATAPTR theConfig, SInt32,
                    SInt32) {
  CGrafPtr savePort;
  GDHandle saveDevice;
  GetGWorld(&savePort, &saveDevice);
  PixelEffect(source, dest, activeRect, true, theConfig);
  SetGWorld(savePort, saveDevice);
}
