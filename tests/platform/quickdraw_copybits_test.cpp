// CopyBits: straight copies, area-averaged scaling, clipping and self-copies.

#include <gtest/gtest.h>

#include "QuickDraw.h"
#include "quickdraw_support.h"

using qdtest::Image;
using qdtest::PortScope;
using qdtest::Px;

namespace {

const Px kSentinel{0x5A, 0xA5, 0x5A, 0xA5};

// Distinct in every channel and every position.
Px pattern(int x, int y) {
  return {static_cast<std::uint8_t>(x * 7 + y * 3), static_cast<std::uint8_t>(x * 13 + y * 29 + 1),
          static_cast<std::uint8_t>(x * 31 + y * 5 + 2), static_cast<std::uint8_t>(x ^ (y * 11))};
}

void paintPattern(const Image &img) {
  const Rect b = img.bounds();
  for (int y = b.top; y < b.bottom; ++y)
    for (int x = b.left; x < b.right; ++x) img.at(x, y) = pattern(x - b.left, y - b.top);
}

void copy(const Image &src, const Image &dst, Rect s, Rect d) {
  CopyBits(src.bits(), dst.bits(), &s, &d, srcCopy, nullptr);
}

// Every pixel of dst against want(x, y), in bounds coordinates.
template <class Want>
void expectPixels(const Image &dst, Want want) {
  const Rect b = dst.bounds();
  for (int y = b.top; y < b.bottom; ++y)
    for (int x = b.left; x < b.right; ++x) ASSERT_EQ(dst.at(x, y), want(x, y)) << x << "," << y;
}

TEST(QuickDrawCopyBits, SameSizeCopiesExactlyAcrossRowStridesAndBounds) {
  Image src(5, 3);  // 32 bytes a row, 12 of them padding
  Image dst(9, 6);  // 48 bytes a row
  ASSERT_NE(src.rowBytes(), dst.rowBytes());
  paintPattern(src);
  dst.fill(kSentinel);
  copy(src, dst, {0, 0, 3, 5}, {2, 3, 5, 8});
  expectPixels(dst, [](int x, int y) { return x >= 3 && x < 8 && y >= 2 && y < 5 ? pattern(x - 3, y - 2) : kSentinel; });

  Image away(100, 200, 104, 206);  // 6 x 4 at (200, 100)
  Image negative(-5, -7, -2, -4);  // 3 x 3 at (-7, -5)
  paintPattern(away);
  negative.fill(kSentinel);
  copy(away, negative, {101, 202, 103, 204}, {-4, -6, -2, -4});
  expectPixels(negative, [](int x, int y) { return x >= -6 && y >= -4 ? pattern(x + 8, y + 5) : kSentinel; });
}

TEST(QuickDrawCopyBits, HalvingAveragesEachTwoByTwoBlock) {
  Image src(720, 480), dst(360, 240);
  paintPattern(src);
  copy(src, dst, src.bounds(), dst.bounds());
  expectPixels(dst, [&](int x, int y) {
    auto mean = [&](std::uint8_t Px::*c) {
      const int sum = src.at(2 * x, 2 * y).*c + src.at(2 * x + 1, 2 * y).*c + src.at(2 * x, 2 * y + 1).*c +
                      src.at(2 * x + 1, 2 * y + 1).*c;
      return static_cast<std::uint8_t>((sum + 2) / 4);
    };
    return Px{mean(&Px::a), mean(&Px::r), mean(&Px::g), mean(&Px::b)};
  });
}

TEST(QuickDrawCopyBits, ScalingWeighsEachSourcePixelByItsCoverage) {
  Image src(2, 2), twice(4, 4);
  paintPattern(src);
  copy(src, twice, src.bounds(), twice.bounds());
  expectPixels(twice, [](int x, int y) { return pattern(x / 2, y / 2); });

  // 2 -> 3: the middle pixel covers half of each source pixel; 50.5 rounds up.
  Image row(2, 1), wider(3, 1);
  row.at(0, 0) = {255, 0, 10, 200};
  row.at(1, 0) = {255, 101, 20, 0};
  copy(row, wider, row.bounds(), wider.bounds());
  const Px widened[] = {row.at(0, 0), {255, 51, 15, 100}, row.at(1, 0)};
  expectPixels(wider, [&](int x, int) { return widened[x]; });

  // 3 -> 2: per axis pixel 0 weighs the source {2, 1, 0}, pixel 1 {0, 1, 2}; sums over 9.
  Image three(3, 3), two(2, 2);
  const std::uint8_t v[3][3] = {{0, 90, 200}, {30, 3, 60}, {255, 0, 1}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) three.at(x, y) = {v[y][x], static_cast<std::uint8_t>(255 - v[y][x]), 7, 1};
  copy(three, two, three.bounds(), two.bounds());
  // 243 / 9, 1103 / 9 = 122.6, 1083 / 9 = 120.3, 127 / 9 = 14.1
  const Px narrowed[2][2] = {{{27, 228, 7, 1}, {123, 132, 7, 1}}, {{120, 135, 7, 1}, {14, 241, 7, 1}}};
  expectPixels(two, [&](int x, int y) { return narrowed[y][x]; });
}

TEST(QuickDrawCopyBits, ClippingKeepsTheMappingOfTheGivenRectangles) {
  Image src(4, 1), dst(4, 1);
  for (int x = 0; x < 4; ++x) src.at(x, 0) = {0, static_cast<std::uint8_t>(10 * (x + 1)), 0, 0};
  auto reds = [&] {
    std::vector<int> r;
    for (int x = 0; x < 4; ++x) r.push_back(dst.at(x, 0) == kSentinel ? -1 : dst.at(x, 0).r);
    return r;
  };
  // Destination rectangle hanging off the left: the visible half shows the source's right half.
  dst.fill(kSentinel);
  copy(src, dst, {0, 0, 1, 4}, {0, -2, 1, 2});
  EXPECT_EQ(reds(), (std::vector{30, 40, -1, -1}));
  // Doubled and hanging off: destination pixels 0..3 are source 2, 2, 3, 3.
  copy(src, dst, {0, 0, 1, 4}, {0, -4, 1, 4});
  EXPECT_EQ(reds(), (std::vector{30, 30, 40, 40}));
  // Source rectangle hanging off: only the part that exists is copied, where it maps to.
  dst.fill(kSentinel);
  copy(src, dst, {0, -2, 1, 2}, {0, 0, 1, 4});
  EXPECT_EQ(reds(), (std::vector{-1, -1, 10, 20}));

  // Entirely outside either image: nothing happens.
  dst.fill(kSentinel);
  copy(src, dst, {0, 4, 1, 8}, {0, 0, 1, 4});
  copy(src, dst, {0, 0, 1, 4}, {1, 0, 2, 4});
  copy(src, dst, {0, 0, 1, 0}, {0, 0, 1, 4});
  CopyBits(nullptr, dst.bits(), nullptr, nullptr, srcCopy, nullptr);
  EXPECT_EQ(reds(), (std::vector{-1, -1, -1, -1}));
}

TEST(QuickDrawCopyBits, DestinationClipLimitsWhatIsWrittenNotTheMapping) {
  Image src(9, 7), whole(6, 5), clipped(6, 5);
  paintPattern(src);
  copy(src, whole, src.bounds(), whole.bounds());
  clipped.fill(kSentinel);
  {
    PortScope scope(clipped.gw());
    const Rect clip{1, 2, 3, 5};
    ClipRect(&clip);
  }
  copy(src, clipped, src.bounds(), clipped.bounds());
  expectPixels(clipped, [&](int x, int y) { return x >= 2 && x < 5 && y >= 1 && y < 3 ? whole.at(x, y) : kSentinel; });
}

TEST(QuickDrawCopyBits, OverlappingCopyWithinOneImage) {
  Image img(8, 8), expect(8, 8);
  // Straight, moving down and right over itself, then up and left.
  paintPattern(img);
  copy(img, img, {0, 0, 6, 6}, {2, 2, 8, 8});
  expectPixels(img, [](int x, int y) { return x >= 2 && y >= 2 ? pattern(x - 2, y - 2) : pattern(x, y); });
  paintPattern(img);
  copy(img, img, {3, 1, 8, 8}, {0, 0, 5, 7});
  expectPixels(img, [](int x, int y) { return x < 7 && y < 5 ? pattern(x + 1, y + 3) : pattern(x, y); });

  // Scaled onto itself gives what scaling into another image gives.
  paintPattern(img);
  paintPattern(expect);
  copy(img, expect, {0, 0, 8, 8}, {1, 1, 6, 6});
  copy(img, img, {0, 0, 8, 8}, {1, 1, 6, 6});
  expectPixels(img, [&](int x, int y) { return expect.at(x, y); });
}

}  // namespace
