// The host's Blit callback against a plain per-pixel blend written here: every
// byte of the destination map, padding included, must come out the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "Blit.h"

namespace zv::blend {
namespace {

struct Map {
  GWorldPtr world = nullptr;
  PixMapHandle pm = nullptr;
  Rect bounds{};
  long rowBytes = 0;
  UInt8 *base = nullptr;

  explicit Map(Rect b) : bounds(b) {
    EXPECT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    pm = GetGWorldPixMap(world);
    rowBytes = GetPixRowBytes(pm);
    base = reinterpret_cast<UInt8 *>(GetPixBaseAddr(pm));
  }
  ~Map() { DisposeGWorld(world); }

  std::size_t Size() const { return static_cast<std::size_t>(rowBytes) * (bounds.bottom - bounds.top); }
  std::vector<UInt8> Bytes() const { return {base, base + Size()}; }
  void Fill(unsigned seed) {
    for (std::size_t i = 0; i < Size(); ++i) base[i] = static_cast<UInt8>((i + seed) * 2654435761u >> 13);
  }
  // Byte offset of a pixel given in the map's own coordinates.
  long At(int v, int h) const { return (v - bounds.top) * rowBytes + (h - bounds.left) * 4; }
};

// One pixel after another.
void Reference(const UInt8 *s, const Map &sm, const Rect &sr, UInt8 *d, const Map &dm, const Rect &dr, int opacity) {
  const unsigned o = static_cast<unsigned>(std::clamp(opacity, 0, 255));
  for (int y = 0; y < dr.bottom - dr.top; ++y)
    for (int x = 0; x < dr.right - dr.left; ++x) {
      const UInt8 *sp = s + sm.At(sr.top + y, sr.left + x);
      UInt8 *dp = d + dm.At(dr.top + y, dr.left + x);
      for (int c = 1; c < 4; ++c) dp[c] = static_cast<UInt8>((sp[c] * o + dp[c] * (255 - o) + 127) / 255);
    }
}

// Worked out by hand, pinning the reference: opacity, source value, the value
// it is drawn onto, the result: (source x opacity + under x (255 - opacity)) / 255,
// rounded to the nearest (1 x 127 / 255 = 0.498 gives 0); opacities kept within 0..255.
constexpr std::tuple<int, int, int, int> kBlends[] = {
    {127, 1, 0, 0},     {128, 255, 0, 128}, {128, 0, 255, 127}, {1, 255, 0, 1},  {254, 0, 255, 1}, {100, 200, 50, 109},
    {212, 32, 127, 48}, {42, 64, 127, 117}, {-3, 200, 50, 50}, {258, 200, 50, 200}};

// Each pixel of a 256x256 map pairs a source value (its column) with a
// destination value (its row) in every channel; alpha differs between the two.
TEST(Blit, EveryOpacityOverEveryPairOfChannelValues) {
  const Rect b{0, 0, 256, 256};
  Map src(b), dst(b);
  for (int v = 0; v < 256; ++v)
    for (int h = 0; h < 256; ++h) {
      UInt8 *s = src.base + src.At(v, h), *d = dst.base + dst.At(v, h);
      s[0] = static_cast<UInt8>(v ^ h);
      d[0] = static_cast<UInt8>(v + h);
      s[1] = d[2] = static_cast<UInt8>(h);
      d[1] = s[2] = static_cast<UInt8>(v);
      s[3] = static_cast<UInt8>(255 - h);
      d[3] = static_cast<UInt8>(255 - v);
    }
  const std::vector<UInt8> before = dst.Bytes();
  for (int opacity = -3; opacity <= 258; ++opacity) {
    std::memcpy(dst.base, before.data(), before.size());
    std::vector<UInt8> want = before;
    Reference(src.base, src, b, want.data(), dst, b, opacity);
    ASSERT_EQ(BlitPixMaps(src.pm, dst.pm, &b, &b, static_cast<SInt16>(opacity)), kPluginOK);
    ASSERT_EQ(dst.Bytes(), want) << "opacity " << opacity;
    for (const auto &[o, from, onto, blended] : kBlends)
      if (o == opacity) {
        EXPECT_EQ(dst.base[dst.At(onto, from) + 1], blended) << from << " over " << onto << " at " << o;
      }
  }
}

// Widths that leave pixels after the last whole group, rectangles away from
// the origin in maps whose bounds are too, and padding at the end of each row.
TEST(Blit, RectanglesAnywhereTouchNothingOutside) {
  const Rect sb{-7, 3, 40, 60}, db{10, -20, 51, 29};
  for (const int width : {1, 2, 3, 5, 7, 9, 13, 31, 45})
    for (const int opacity : {1, 64, 128, 200, 254, 255}) {
      Map src(sb), dst(db);
      src.Fill(width);
      dst.Fill(opacity + 1000);
      ASSERT_GT(dst.rowBytes, (db.right - db.left) * 4);  // padding to keep
      const Rect sr{static_cast<short>(sb.top + 5), static_cast<short>(sb.left + 2), static_cast<short>(sb.top + 30),
                    static_cast<short>(sb.left + 2 + width)};
      const Rect dr{static_cast<short>(db.top + 3), static_cast<short>(db.left + 1), static_cast<short>(db.top + 28),
                    static_cast<short>(db.left + 1 + width)};
      std::vector<UInt8> want = dst.Bytes();
      Reference(src.base, src, sr, want.data(), dst, dr, opacity);
      ASSERT_EQ(BlitPixMaps(src.pm, dst.pm, &sr, &dr, static_cast<SInt16>(opacity)), kPluginOK);
      ASSERT_EQ(dst.Bytes(), want) << "width " << width << ", opacity " << opacity;
    }
}

// Rectangles of different sizes: the source area is scaled as CopyBits of the
// same rectangles scales it, then blended; the destination keeps its alpha.
TEST(Blit, ScaledAreasAreCopyBitsOfTheSameRectanglesBlended) {
  const Rect sb{-4, 2, 30, 45}, db{0, 0, 50, 60};
  for (const auto &[sr, dr] : {std::pair{Rect{-2, 3, 13, 29}, Rect{5, 4, 44, 57}},
                               std::pair{Rect{0, 5, 29, 44}, Rect{10, 1, 21, 14}}})
    for (const int opacity : {255, 100}) {
      Map src(sb), dst(db), copied(db);
      src.Fill(3);
      dst.Fill(9);
      std::memcpy(copied.base, dst.base, dst.Size());
      CopyBits(GetPortBitMapForCopyBits(src.world), GetPortBitMapForCopyBits(copied.world), &sr, &dr, srcCopy,
               nullptr);
      std::vector<UInt8> want = dst.Bytes();
      Reference(copied.base, copied, dr, want.data(), dst, dr, opacity);
      ASSERT_EQ(BlitPixMaps(src.pm, dst.pm, &sr, &dr, static_cast<SInt16>(opacity)), kPluginOK);
      EXPECT_EQ(dst.Bytes(), want) << "to " << dr.right - dr.left << " wide, opacity " << opacity;
    }
}

}  // namespace
}  // namespace zv::blend
