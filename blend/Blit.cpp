#include "Blit.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zv::blend {

namespace {

int Width(const Rect &r) { return r.right - r.left; }
int Height(const Rect &r) { return r.bottom - r.top; }

bool Inside(const Rect &r, const Rect &bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

// Where alpha sits in a pixel: first (alpha, red, green, blue) or last (red,
// green, blue, alpha, the order of a filter host's frames).
int AlphaIndex(OSType pixelFormat) { return pixelFormat == k32RGBAPixelFormat ? 3 : 0; }

void BlendRowPlain(const UInt8 *s, UInt8 *d, int w, unsigned opacity, int alpha) {
  for (int x = 0; x < w; ++x, s += 4, d += 4)
    for (int c = 0; c < 4; ++c)
      if (c != alpha) d[c] = BlendChannel(s[c], d[c], opacity);
}

#if defined(__SSE2__)
// Eight channels in 16-bit lanes: the alpha lanes weigh the source 0 and the
// destination 255, which gives the destination's alpha back unchanged. The
// sum is at most 65152, so it fits unsigned 16 bits, and so does the exact
// division by 255 as (x + 1 + (x >> 8)) >> 8.
inline __m128i Blend16(__m128i s, __m128i d, __m128i sw, __m128i dw) {
  const __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, sw), _mm_mullo_epi16(d, dw)), _mm_set1_epi16(127));
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
}

void BlendRow(const UInt8 *s, UInt8 *d, int w, unsigned opacity, int alpha) {
  const auto o = static_cast<short>(opacity), r = static_cast<short>(255 - opacity);
  short swl[8], dwl[8];
  for (int i = 0; i < 8; ++i) {
    swl[i] = (i & 3) == alpha ? 0 : o;
    dwl[i] = (i & 3) == alpha ? 255 : r;
  }
  const __m128i sw = _mm_loadu_si128(reinterpret_cast<const __m128i *>(swl));
  const __m128i dw = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dwl));
  const __m128i zero = _mm_setzero_si128();
  int x = 0;
  for (; x + 4 <= w; x += 4, s += 16, d += 16) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d));
    const __m128i lo = Blend16(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero), sw, dw);
    const __m128i hi = Blend16(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero), sw, dw);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d), _mm_packus_epi16(lo, hi));
  }
  BlendRowPlain(s, d, w - x, opacity, alpha);
}
#else
void BlendRow(const UInt8 *s, UInt8 *d, int w, unsigned opacity, int alpha) { BlendRowPlain(s, d, w, opacity, alpha); }
#endif

// Blends same-sized areas; both rectangles lie inside their maps.
void BlendArea(PixMapHandle src, const Rect &srcRect, PixMapHandle dst, const Rect &dstRect, unsigned opacity,
               int alpha) {
  if (opacity == 0) return;  // every byte would come out as it is
  Rect sb, db;
  GetPixBounds(src, &sb);
  GetPixBounds(dst, &db);
  const long srb = GetPixRowBytes(src), drb = GetPixRowBytes(dst);
  const UInt8 *sbase = reinterpret_cast<const UInt8 *>(GetPixBaseAddr(src));
  UInt8 *dbase = reinterpret_cast<UInt8 *>(GetPixBaseAddr(dst));
  const int w = Width(dstRect), h = Height(dstRect);
  for (int y = 0; y < h; ++y) {
    const UInt8 *s = sbase + (srcRect.top - sb.top + y) * srb + (srcRect.left - sb.left) * 4;
    UInt8 *d = dbase + (dstRect.top - db.top + y) * drb + (dstRect.left - db.left) * 4;
    BlendRow(s, d, w, opacity, alpha);
  }
}

}  // namespace

HYPluginResult BlitPixMaps(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                           SInt16 opacity) {
  if (!src || !dst || !srcRect || !dstRect) return kPluginBadParams;
  const unsigned alpha = static_cast<unsigned>(std::clamp<int>(opacity, 0, 255));
  Rect sb, db;
  GetPixBounds(src, &sb);
  GetPixBounds(dst, &db);
  if (Width(*srcRect) <= 0 || Height(*srcRect) <= 0 || Width(*dstRect) <= 0 || Height(*dstRect) <= 0)
    return kPluginOK;  // nothing to draw
  if (!Inside(*srcRect, sb) || !Inside(*dstRect, db)) return kPluginBadParams;
  const OSType format = GetPixPixelFormat(dst);
  if (GetPixPixelFormat(src) != format) return kPluginBadParams;

  if (Width(*srcRect) == Width(*dstRect) && Height(*srcRect) == Height(*dstRect)) {
    BlendArea(src, *srcRect, dst, *dstRect, alpha, AlphaIndex(format));
    return kPluginOK;
  }
  // Different sizes: scale the source area to the destination's size first.
  Rect scaled = {0, 0, static_cast<short>(Height(*dstRect)), static_cast<short>(Width(*dstRect))};
  GWorldPtr tmp = nullptr;
  if (NewGWorld(&tmp, 32, &scaled, nullptr, nullptr, 0) != noErr || !tmp) return kPluginOutOfMemory;
  PixMapHandle tpm = GetGWorldPixMap(tmp);
  LockPixels(tpm);
  CopyBits(reinterpret_cast<const BitMap *>(*src), reinterpret_cast<const BitMap *>(*tpm), srcRect, &scaled, srcCopy,
           nullptr);
  BlendArea(tpm, scaled, dst, *dstRect, alpha, AlphaIndex(format));  // CopyBits keeps the bytes' order
  DisposeGWorld(tmp);
  return kPluginOK;
}

}  // namespace zv::blend
