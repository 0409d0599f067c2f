// The Y'CbCr road on a black 8 x 2 frame, the rectangle over columns 1..5 and
// the red floor at 100: hand-worked codes of pure red in each colour space.
#include "YcbcrRoad.h"

#include "DataHandling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

using zv::adapters::RenderYcbcrFrame;
using zv::adapters::YcbcrImage;
using zv::adapters::YcbcrLayout;

constexpr int kW = 8, kH = 2;

// A black 8 x 2 frame, its samples read back as numbers.
struct Frame {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kW * kH * 4);
  YcbcrImage image;
  int size;

  Frame(YcbcrLayout layout, int colorspace, bool full, unsigned luma, unsigned chroma)
      : image{layout, kW, kH, {}, {}, colorspace, full}, size(layout == YcbcrLayout::kPlanar422x16 ? 2 : 1) {
    const int rows = layout == YcbcrLayout::kPlanar420 ? kH / 2 : kH;
    image.planes[0] = bytes.data(), image.strides[0] = (layout == YcbcrLayout::kPacked422 ? 2 : size) * kW;
    image.planes[1] = image.planes[0] + kW * kH * size, image.planes[2] = image.planes[1] + kW / 2 * rows * size;
    image.strides[1] = image.strides[2] = kW / 2 * size;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) Set(0, x, y, luma), Set(1, x / 2, y, chroma), Set(2, x / 2, y, chroma);
  }
  // Sample i of plane p (0 Y', 1 Cb, 2 Cr) on row y; packed frames interleave them.
  std::uint8_t *At(int p, int i, int y) {
    if (image.layout == YcbcrLayout::kPacked422) return bytes.data() + y * 2 * kW + (p ? 4 * i + 2 * p - 1 : 2 * i);
    const int row = image.layout == YcbcrLayout::kPlanar420 && p ? y / 2 : y;
    return image.planes[p] + row * image.strides[p] + size * i;
  }
  void Set(int p, int i, int y, unsigned v) {
    std::uint8_t *s = At(p, i, y);
    s[0] = v & 0xff;
    if (size == 2) s[1] = v >> 8;
  }
  unsigned Get(int p, int i, int y) { return size == 2 ? At(p, i, y)[0] | At(p, i, y)[1] << 8 : *At(p, i, y); }
};

PLUGINDATAREC RedOverColumns1To5() {
  PLUGINDATAREC c{};
  ResetConfig(&c, true);
  c.STARTREL = RELRECT{1.0 / 8, 6.0 / 8, 0, 1};
  c.SLIDERS[0] = 100, c.SLIDERS[1] = 0, c.SLIDERS[2] = 0;
  return c;
}

struct Case {
  const char *name;
  YcbcrLayout layout;
  int colorspace;
  bool full;
  unsigned blackLuma, blackChroma;
  unsigned red[3];  // Y', Cb, Cr of pure red
  SInt16 opacity;
};

// Pure red in limited BT.601 is (81, 90, 240), in BT.709 (63, 102, 240), in
// full-range BT.601 (76, 85, 255); 16 bits carry 256 x the 8-bit scale. During
// a fade, black at 128/255 drawn over red: (16 x 128 + 81 x 127 + 127) / 255 = 48.
const Case kCases[] = {
    {"packed 4:2:2, BT.601", YcbcrLayout::kPacked422, 601, false, 16, 128, {81, 90, 240}, -1},
    {"planar 4:2:0, BT.709", YcbcrLayout::kPlanar420, 709, false, 16, 128, {63, 102, 240}, -1},
    {"full range BT.601", YcbcrLayout::kPacked422, 601, true, 0, 128, {76, 85, 255}, -1},
    {"16 bits, BT.709", YcbcrLayout::kPlanar422x16, 709, false, 4096, 32768, {16015, 26198, 61440}, -1},
    {"fade at 128", YcbcrLayout::kPacked422, 601, false, 16, 128, {48, 109, 184}, 128},
    {"fade at 255", YcbcrLayout::kPacked422, 601, false, 16, 128, {16, 128, 128}, 255},
};

TEST(YcbcrRoad, RedFloorOverColumns1To5) {
  for (const Case &k : kCases) {
    SCOPED_TRACE(k.name);
    Frame f(k.layout, k.colorspace, k.full, k.blackLuma, k.blackChroma);
    ASSERT_TRUE(RenderYcbcrFrame(RedOverColumns1To5(), f.image, k.opacity));
    auto near = [](unsigned got, unsigned want) { return std::abs(int(got) - int(want)) <= 1; };
    for (int y = 0; y < kH; ++y) {
      // Column 0 and the block of columns 6 and 7 lie outside: untouched.
      for (int x : {0, 6, 7}) EXPECT_EQ(f.Get(0, x, y), k.blackLuma) << x;
      for (int p : {1, 2})
        for (int bx : {0, 3}) EXPECT_EQ(f.Get(p, bx, y), k.blackChroma) << bx;
      // Column 1 shares its chroma with column 0: it takes red's luma alone.
      for (int x = 1; x < 6; ++x) EXPECT_PRED2(near, f.Get(0, x, y), k.red[0]) << x;
      for (int p : {1, 2})
        for (int bx : {1, 2}) EXPECT_PRED2(near, f.Get(p, bx, y), k.red[p]) << bx;
    }
  }
}

TEST(YcbcrRoad, SizesSplittingAChromaBlockAreLeftToTheRgbaRoad) {
  for (auto [layout, w, h] :
       {std::tuple(YcbcrLayout::kPacked422, kW - 1, kH), std::tuple(YcbcrLayout::kPlanar420, kW, kH - 1)}) {
    Frame f(layout, 601, false, 16, 128);
    const std::vector<std::uint8_t> before = f.bytes;
    f.image.width = w, f.image.height = h;
    EXPECT_FALSE(RenderYcbcrFrame(RedOverColumns1To5(), f.image, -1));
    EXPECT_EQ(f.bytes, before);
  }
}

}  // namespace
