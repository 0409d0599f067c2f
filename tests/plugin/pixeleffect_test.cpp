// The pixel effect, checked against a plain per-pixel reference.
#include "DataHandling.h"
#include "PluginState.h"
#include "TestImages.h"
#include "callpixelfx.h"
#include "pixeleffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <random>
#include <tuple>
#include <vector>

namespace {

using zv::test::Image;
using zv::test::Pixel;

PLUGINDATAREC Config(SInt16 r, SInt16 g, SInt16 b) {
  PLUGINDATAREC c = zv::test::DefaultConfig();
  std::tie(c.SLIDERS[0], c.SLIDERS[1], c.SLIDERS[2]) = std::tuple(r, g, b);
  return c;
}

// Floors worked out by hand: slider x 2.55 truncated, none below 0 or above 255.
UInt8 Floor(SInt16 slider) {
  constexpr std::pair<SInt16, UInt8> kFloors[] = {{-5, 0},   {0, 0},     {1, 2},     {20, 51},   {50, 127},
                                                   {73, 186}, {99, 252}, {100, 255}, {130, 255}, {32767, 255}};
  for (const auto &[s, f] : kFloors)
    if (s == slider) return f;
  ADD_FAILURE() << "no floor worked out for slider " << slider;
  return 0;
}

// The effect as a person would write it: one pixel at a time.
Pixel Reference(Pixel p, bool inside, const PLUGINDATAREC &c) {
  if (!inside) return p;
  for (int i = 0; i < 3; ++i) p[i + 1] = std::max(p[i + 1], Floor(c.SLIDERS[i]));
  return p;
}

// Runs the effect on random images and compares every pixel with the reference.
void CheckAgainstReference(SInt16 w, SInt16 h, Rect active, const PLUGINDATAREC &c, unsigned seed) {
  std::mt19937 rng(seed);
  Image src(w, h), dst(w, h);
  for (Image *img : {&src, &dst})
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img->Set(x, y, {UInt8(rng()), UInt8(rng()), UInt8(rng()), UInt8(rng())});
  PLUGINDATAREC config = c;
  ThePixelEffect(src.gw(), dst.gw(), active, true, &config, 0, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inside = y >= active.top && y < active.bottom && x >= active.left && x < active.right;
      ASSERT_EQ(dst.At(x, y), Reference(src.At(x, y), inside, c))
          << w << "x" << h << " at " << x << "," << y << " seed " << seed;
    }
}

TEST(PixelEffect, MatchesThePlainLoopOnOddSizesRectanglesAndFloors) {
  const SInt16 sizes[][2] = {{1, 1}, {3, 2}, {17, 5}, {33, 9}, {64, 4}, {101, 7}};
  const SInt16 floors[][3] = {{0, 0, 0}, {50, 50, 50}, {100, 100, 100}, {1, 99, 100}, {20, 0, 73}, {-5, 130, 32767}};
  unsigned seed = 1;
  for (auto [w, h] : sizes)
    for (const auto &f : floors) {
      const Rect rects[] = {
          {0, 0, h, w},                                                      // whole
          {1, 1, static_cast<short>(h - 1), static_cast<short>(w - 1)},      // inner
          {-5, -7, static_cast<short>(h + 3), static_cast<short>(w / 2)},    // partly outside
          {0, static_cast<short>(w - 1), h, static_cast<short>(w + 40)},     // last column
          {2, 5, 2, 9},                                                      // empty
          {0, 9, h, 3},                                                      // reversed
      };
      for (const Rect &r : rects) CheckAgainstReference(w, h, r, Config(f[0], f[1], f[2]), seed++);
    }
}

TEST(PixelEffect, NilDestinationWorksInPlaceAndSizeMismatchWritesNothing) {
  Image img(5, 3);
  PLUGINDATAREC c = Config(100, 100, 100);
  ThePixelEffect(img.gw(), nullptr, Rect{0, 0, 3, 5}, true, &c, 0, 0);
  EXPECT_EQ(img.At(4, 2), (Pixel{0, 255, 255, 255}));

  Image big(720, 480), small(360, 240);
  small.Set(10, 10, {1, 2, 3, 4});
  ThePixelEffect(big.gw(), small.gw(), Rect{0, 0, 240, 360}, true, &c, 0, 0);
  EXPECT_EQ(small.At(10, 10), (Pixel{1, 2, 3, 4}));
}

TEST(PixelEffect, ImagesAwayFromTheOriginAreWalkedFromTheirOwnCorner) {
  Image src(Rect{100, 200, 103, 205}), dst(Rect{100, 200, 103, 205});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) src.Set(x, y, {7, 1, 1, 1});
  PLUGINDATAREC c = Config(100, 100, 100);
  c.STARTREL = {0.0, 0.4, 0.0, 1.0};  // the first two columns
  DoPascalPixelEffect(src.gw(), dst.gw(), &c, 0, 1);
  EXPECT_EQ(dst.At(1, 2), (Pixel{7, 255, 255, 255}));
  EXPECT_EQ(dst.At(2, 2), (Pixel{7, 1, 1, 1}));
}

TEST(PixelEffect, PreviewRoadCopiesFirstThenLifts) {
  Image src(6, 4), preview(6, 4);
  zv::test::PaintPattern(1, src.gw());
  PLUGINDATAREC c = Config(0, 100, 0);
  c.STARTREL = {0.5, 1.0, 0.0, 1.0};
  gConfigWorkSpace.THECONFIG = &c;
  CallPixelEffect(src.gw(), preview.gw());
  gConfigWorkSpace.THECONFIG = nullptr;
  EXPECT_EQ(preview.At(0, 0), src.At(0, 0));
  Pixel lifted = src.At(5, 3);
  lifted[2] = 255;
  EXPECT_EQ(preview.At(5, 3), lifted);
}

}  // namespace
