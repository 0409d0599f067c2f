// CopyBits: straight copies, area-averaged scaling, clipping and self-copies.

#include <gtest/gtest.h>

#include "../support/TestImages.h"

using zv::test::Image;
using zv::test::PaintPattern;
using zv::test::PatternPixel;
using zv::test::Pixel;
using zv::test::PortScope;

namespace {

const Pixel kSentinel{0x5A, 0xA5, 0x5A, 0xA5};

void copy(const Image &src, const Image &dst, Rect s, Rect d) {
  CopyBits(src.bits(), dst.bits(), &s, &d, srcCopy, nullptr);
}

// Every pixel of dst against want(x, y), counted from its top-left.
template <class Want>
void expectPixels(const Image &dst, Want want) {
  for (int y = 0; y < dst.height(); ++y)
    for (int x = 0; x < dst.width(); ++x) ASSERT_EQ(dst.At(x, y), want(x, y)) << x << "," << y;
}

TEST(QuickDrawCopyBits, SameSizeCopiesExactlyAcrossRowStridesAndBounds) {
  Image src(5, 3);  // 32 bytes a row, 12 of them padding
  Image dst(9, 6);  // 48 bytes a row
  ASSERT_NE(src.rowBytes(), dst.rowBytes());
  PaintPattern(0, src.gw());
  dst.Fill(kSentinel);
  copy(src, dst, {0, 0, 3, 5}, {2, 3, 5, 8});
  expectPixels(dst, [](int x, int y) { return x >= 3 && x < 8 && y >= 2 && y < 5 ? PatternPixel(0, x - 3, y - 2) : kSentinel; });

  Image away(Rect{100, 200, 104, 206});  // 6 x 4 at (200, 100)
  Image negative(Rect{-5, -7, -2, -4});  // 3 x 3 at (-7, -5)
  PaintPattern(0, away.gw());
  negative.Fill(kSentinel);
  copy(away, negative, {101, 202, 103, 204}, {-4, -6, -2, -4});
  expectPixels(negative, [](int x, int y) { return x >= 1 && y >= 1 ? PatternPixel(0, x + 1, y) : kSentinel; });
}

TEST(QuickDrawCopyBits, HalvingAveragesEachTwoByTwoBlock) {
  Image src(720, 480), dst(360, 240);
  PaintPattern(0, src.gw());
  copy(src, dst, src.bounds(), dst.bounds());
  expectPixels(dst, [&](int x, int y) {
    Pixel mean;
    for (int c = 0; c < 4; ++c) {
      const int sum = src.At(2 * x, 2 * y)[c] + src.At(2 * x + 1, 2 * y)[c] + src.At(2 * x, 2 * y + 1)[c] +
                      src.At(2 * x + 1, 2 * y + 1)[c];
      mean[c] = static_cast<UInt8>((sum + 2) / 4);
    }
    return mean;
  });
}

TEST(QuickDrawCopyBits, ScalingWeighsEachSourcePixelByItsCoverage) {
  Image src(2, 2), twice(4, 4);
  PaintPattern(0, src.gw());
  copy(src, twice, src.bounds(), twice.bounds());
  expectPixels(twice, [](int x, int y) { return PatternPixel(0, x / 2, y / 2); });

  // 2 -> 3: the middle pixel covers half of each source pixel; 50.5 rounds up.
  Image row(2, 1), wider(3, 1);
  row.Set(0, 0, {255, 0, 10, 200});
  row.Set(1, 0, {255, 101, 20, 0});
  copy(row, wider, row.bounds(), wider.bounds());
  const Pixel widened[] = {row.At(0, 0), {255, 51, 15, 100}, row.At(1, 0)};
  expectPixels(wider, [&](int x, int) { return widened[x]; });

  // 3 -> 2: per axis pixel 0 weighs the source {2, 1, 0}, pixel 1 {0, 1, 2}; sums over 9.
  Image three(3, 3), two(2, 2);
  const std::uint8_t v[3][3] = {{0, 90, 200}, {30, 3, 60}, {255, 0, 1}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) three.Set(x, y, {v[y][x], static_cast<UInt8>(255 - v[y][x]), 7, 1});
  copy(three, two, three.bounds(), two.bounds());
  // 243 / 9, 1103 / 9 = 122.6, 1083 / 9 = 120.3, 127 / 9 = 14.1
  const Pixel narrowed[2][2] = {{{27, 228, 7, 1}, {123, 132, 7, 1}}, {{120, 135, 7, 1}, {14, 241, 7, 1}}};
  expectPixels(two, [&](int x, int y) { return narrowed[y][x]; });
}

TEST(QuickDrawCopyBits, ClippingKeepsTheMappingOfTheGivenRectangles) {
  Image src(4, 1), dst(4, 1);
  for (int x = 0; x < 4; ++x) src.Set(x, 0, {0, static_cast<UInt8>(10 * (x + 1)), 0, 0});
  auto reds = [&] {
    std::vector<int> r;
    for (int x = 0; x < 4; ++x) r.push_back(dst.At(x, 0) == kSentinel ? -1 : dst.At(x, 0)[1]);
    return r;
  };
  // Destination rectangle hanging off the left: the visible half shows the source's right half.
  dst.Fill(kSentinel);
  copy(src, dst, {0, 0, 1, 4}, {0, -2, 1, 2});
  EXPECT_EQ(reds(), (std::vector{30, 40, -1, -1}));
  // Doubled and hanging off: destination pixels 0..3 are source 2, 2, 3, 3.
  copy(src, dst, {0, 0, 1, 4}, {0, -4, 1, 4});
  EXPECT_EQ(reds(), (std::vector{30, 30, 40, 40}));
  // Source rectangle hanging off: only the part that exists is copied, where it maps to.
  dst.Fill(kSentinel);
  copy(src, dst, {0, -2, 1, 2}, {0, 0, 1, 4});
  EXPECT_EQ(reds(), (std::vector{-1, -1, 10, 20}));

  // Entirely outside either image: nothing happens.
  dst.Fill(kSentinel);
  copy(src, dst, {0, 4, 1, 8}, {0, 0, 1, 4});
  copy(src, dst, {0, 0, 1, 4}, {1, 0, 2, 4});
  copy(src, dst, {0, 0, 1, 0}, {0, 0, 1, 4});
  CopyBits(nullptr, dst.bits(), nullptr, nullptr, srcCopy, nullptr);
  EXPECT_EQ(reds(), (std::vector{-1, -1, -1, -1}));
}

TEST(QuickDrawCopyBits, DestinationClipLimitsWhatIsWrittenNotTheMapping) {
  Image src(9, 7), whole(6, 5), clipped(6, 5);
  PaintPattern(0, src.gw());
  copy(src, whole, src.bounds(), whole.bounds());
  clipped.Fill(kSentinel);
  {
    PortScope scope(clipped.gw());
    const Rect clip{1, 2, 3, 5};
    ClipRect(&clip);
  }
  copy(src, clipped, src.bounds(), clipped.bounds());
  expectPixels(clipped, [&](int x, int y) { return x >= 2 && x < 5 && y >= 1 && y < 3 ? whole.At(x, y) : kSentinel; });
}

TEST(QuickDrawCopyBits, OverlappingCopyWithinOneImage) {
  Image img(8, 8), expect(8, 8);
  // Straight, moving down and right over itself, then up and left.
  PaintPattern(0, img.gw());
  copy(img, img, {0, 0, 6, 6}, {2, 2, 8, 8});
  expectPixels(img, [](int x, int y) { return x >= 2 && y >= 2 ? PatternPixel(0, x - 2, y - 2) : PatternPixel(0, x, y); });
  PaintPattern(0, img.gw());
  copy(img, img, {3, 1, 8, 8}, {0, 0, 5, 7});
  expectPixels(img, [](int x, int y) { return x < 7 && y < 5 ? PatternPixel(0, x + 1, y + 3) : PatternPixel(0, x, y); });

  // Scaled onto itself gives what scaling into another image gives.
  PaintPattern(0, img.gw());
  PaintPattern(0, expect.gw());
  copy(img, expect, {0, 0, 8, 8}, {1, 1, 6, 6});
  copy(img, img, {0, 0, 8, 8}, {1, 1, 6, 6});
  expectPixels(img, [&](int x, int y) { return expect.At(x, y); });
}

}  // namespace
