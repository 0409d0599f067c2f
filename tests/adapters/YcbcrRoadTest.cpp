// The Y'CbCr road on a black 8 x 2 frame, the rectangle over columns 1..5 and
// the red floor at 100: hand-worked codes of pure red in each colour space.
#include "YcbcrRoad.h"

#include "DataHandling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using zv::adapters::RenderYcbcrFrame;
using zv::adapters::YcbcrImage;
using zv::adapters::YcbcrLayout;

constexpr int kW = 8, kH = 2;

struct Frame {
  std::vector<std::uint8_t> bytes;
  YcbcrImage image;

  Frame(YcbcrLayout layout, int colorspace, bool full, unsigned luma, unsigned chroma) : bytes(kW * kH * 4) {
    const int size = layout == YcbcrLayout::kPlanar422x16 ? 2 : 1, cw = kW / 2;
    const int ch = layout == YcbcrLayout::kPlanar420 ? kH / 2 : kH;
    image = {layout, kW, kH, {}, {}, colorspace, full};
    std::uint8_t *p = bytes.data();
    if (layout == YcbcrLayout::kPacked422) {
      image.planes[0] = p, image.strides[0] = 2 * kW;
    } else {
      image.planes[0] = p, image.planes[1] = p + kW * kH * size, image.planes[2] = image.planes[1] + cw * ch * size;
      image.strides[0] = kW * size, image.strides[1] = image.strides[2] = cw * size;
    }
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        Set(Luma(x, y), luma);
        Set(Chroma(0, x / 2, y), chroma), Set(Chroma(1, x / 2, y), chroma);
      }
  }
  bool Deep() const { return image.layout == YcbcrLayout::kPlanar422x16; }
  std::uint8_t *Luma(int x, int y) {
    if (image.layout == YcbcrLayout::kPacked422) return image.planes[0] + y * image.strides[0] + 2 * x;
    return image.planes[0] + y * image.strides[0] + (Deep() ? 2 : 1) * x;
  }
  std::uint8_t *Chroma(int c, int bx, int y) {
    if (image.layout == YcbcrLayout::kPacked422) return image.planes[0] + y * image.strides[0] + 4 * bx + 1 + 2 * c;
    const int row = image.layout == YcbcrLayout::kPlanar420 ? y / 2 : y;
    return image.planes[1 + c] + row * image.strides[1 + c] + (Deep() ? 2 : 1) * bx;
  }
  void Set(std::uint8_t *p, unsigned v) const {
    p[0] = v & 0xff;
    if (Deep()) p[1] = v >> 8;
  }
  unsigned Get(const std::uint8_t *p) const { return Deep() ? p[0] | p[1] << 8 : p[0]; }
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
      for (int x : {0, 6, 7}) EXPECT_EQ(f.Get(f.Luma(x, y)), k.blackLuma) << x;
      for (int c = 0; c < 2; ++c)
        for (int bx : {0, 3}) EXPECT_EQ(f.Get(f.Chroma(c, bx, y)), k.blackChroma) << bx;
      // Column 1 shares its chroma with column 0: it takes red's luma alone.
      for (int x = 1; x < 6; ++x) EXPECT_PRED2(near, f.Get(f.Luma(x, y)), k.red[0]) << x;
      for (int c = 0; c < 2; ++c)
        for (int bx : {1, 2}) EXPECT_PRED2(near, f.Get(f.Chroma(c, bx, y)), k.red[1 + c]) << bx;
    }
  }
}

TEST(YcbcrRoad, SizesSplittingAChromaBlockAreLeftToTheRgbaRoad) {
  for (auto [layout, w, h] : {std::tuple(YcbcrLayout::kPacked422, kW - 1, kH), std::tuple(YcbcrLayout::kPlanar420, kW, kH - 1)}) {
    Frame f(layout, 601, false, 16, 128);
    const std::vector<std::uint8_t> before = f.bytes;
    f.image.width = w, f.image.height = h;
    EXPECT_FALSE(RenderYcbcrFrame(RedOverColumns1To5(), f.image, -1));
    EXPECT_EQ(f.bytes, before);
  }
}

}  // namespace
