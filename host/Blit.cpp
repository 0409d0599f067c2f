#include "Blit.h"

#include <algorithm>

namespace zv::host {

namespace {

int Width(const Rect &r) { return r.right - r.left; }
int Height(const Rect &r) { return r.bottom - r.top; }

bool Inside(const Rect &r, const Rect &bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

// Blends same-sized areas; both rectangles lie inside their maps.
void BlendArea(PixMapHandle src, const Rect &srcRect, PixMapHandle dst, const Rect &dstRect, unsigned opacity) {
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
    for (int x = 0; x < w; ++x, s += 4, d += 4) {
      d[1] = BlendChannel(s[1], d[1], opacity);
      d[2] = BlendChannel(s[2], d[2], opacity);
      d[3] = BlendChannel(s[3], d[3], opacity);
    }
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

  if (Width(*srcRect) == Width(*dstRect) && Height(*srcRect) == Height(*dstRect)) {
    BlendArea(src, *srcRect, dst, *dstRect, alpha);
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
  BlendArea(tpm, scaled, dst, *dstRect, alpha);
  DisposeGWorld(tmp);
  return kPluginOK;
}

}  // namespace zv::host
