// Rectangle arithmetic and drawing into the current port, checked pixel by pixel
// in tiny images whose untouched pixels hold a sentinel.

#include <gtest/gtest.h>

#include "../support/TestImages.h"

using zv::test::Image;
using zv::test::Pixel;
using zv::test::PortScope;
using Picture = std::vector<std::string>;

namespace {

const Pixel kSentinel{0x12, 0x34, 0x56, 0x78}, kInverted{0x12, 0xCB, 0xA9, 0x87}, kBlack{0xFF, 0, 0, 0},
    kOrange{0xFF, 0xFF, 0x80, 0x00}, kWhite{0xFF, 0xFF, 0xFF, 0xFF};
const RGBColor kOrangeColor{0xFF12, 0x80FF, 0x0034};  // the high bytes count
const RGBColor kWhiteColor{0xFFFF, 0xFFFF, 0xFFFF};

// A sentinel-filled image, current for the test.
struct Canvas {
  Image img;
  PortScope scope;
  explicit Canvas(Rect bounds) : img(bounds), scope(img.gw()) { img.Fill(kSentinel); }
  Canvas(short w, short h) : Canvas(Rect{0, 0, h, w}) {}
  Picture picture() const {
    return img.Picture({{'.', kSentinel}, {'x', kInverted}, {'#', kBlack}, {'o', kOrange}, {'w', kWhite}});
  }
};

Rect rect(short left, short top, short right, short bottom) {
  Rect r;
  SetRect(&r, left, top, right, bottom);
  return r;
}

bool same(Rect a, Rect b) { return EqualRect(&a, &b); }

// Half-open rectangles; the rest of the arithmetic is what every drawing test
// below and the plug-in's rectangle tests rely on.
TEST(QuickDrawRects, HalfOpenAndPt2Rect) {
  const Rect r = rect(10, 20, 30, 60);  // SetRect takes left, top, right, bottom
  EXPECT_TRUE(PtInRect(Point{20, 10}, &r) && PtInRect(Point{59, 29}, &r));
  EXPECT_FALSE(PtInRect(Point{20, 30}, &r) || PtInRect(Point{60, 10}, &r));
  Rect a;
  Pt2Rect(Point{40, 9}, Point{5, 30}, &a);  // points are (v, h)
  EXPECT_TRUE(same(a, rect(9, 5, 30, 40)));
}

TEST(QuickDrawDrawing, FrameRectIsTheBorderInsideTheRectangle) {
  Canvas c(8, 6);
  Rect r = rect(1, 1, 6, 5);
  FrameRect(&r);
  EXPECT_EQ(c.picture(), (Picture{"........",
                                  ".#####..",
                                  ".#...#..",
                                  ".#...#..",
                                  ".#####..",
                                  "........"}));
  // A frame one or two pixels across is solid.
  RGBForeColor(&kOrangeColor);
  Rect thin = rect(0, 0, 8, 2), one = rect(7, 3, 8, 6);
  FrameRect(&thin);
  FrameRect(&one);
  EXPECT_EQ(c.picture(), (Picture{"oooooooo",
                                  "oooooooo",
                                  ".#...#..",
                                  ".#...#.o",
                                  ".#####.o",
                                  ".......o"}));
}

TEST(QuickDrawDrawing, PaintEraseAndInvertFillTheRectangle) {
  Canvas c(6, 5);
  RGBForeColor(&kOrangeColor);
  RGBBackColor(&kWhiteColor);
  Rect r = rect(1, 1, 4, 3), e = rect(3, 2, 5, 4), i = rect(0, 3, 6, 5);
  PaintRect(&r);
  EraseRect(&e);
  InvertRect(&i);
  EXPECT_EQ(c.picture(), (Picture{"......",
                                  ".ooo..",
                                  ".ooww.",
                                  "xxx##x",
                                  "xxxxxx"}));
}

// Three nested circles, each one pixel inside the last: every ring closed,
// symmetric and in its own colour.
TEST(QuickDrawDrawing, SmallOvalsExactly) {
  Canvas c(12, 12);
  Rect r = rect(0, 0, 12, 12);
  for (const RGBColor &colour : {RGBColor{0, 0, 0}, kWhiteColor, kOrangeColor}) {
    RGBForeColor(&colour);
    FrameOval(&r);
    InsetRect(&r, 1, 1);
  }
  EXPECT_EQ(c.picture(), (Picture{"....####....",
                                  "..##wwww##..",
                                  ".#wwooooww#.",
                                  ".#wo....ow#.",
                                  "#wo......ow#",
                                  "#wo......ow#",
                                  "#wo......ow#",
                                  "#wo......ow#",
                                  ".#wo....ow#.",
                                  ".#wwooooww#.",
                                  "..##wwww##..",
                                  "....####...."}));
}

TEST(QuickDrawDrawing, ClipAndBoundsLimitDrawing) {
  Canvas c(Rect{-2, 3, 3, 9});  // 6 x 5 at (3, -2); 32 bytes a row, 8 of them padding
  Rect clip = rect(4, -1, 7, 9), big = rect(-100, -100, 100, 100), frame = rect(5, -2, 12, 2);
  ClipRect(&clip);
  PaintRect(&big);
  RGBForeColor(&kOrangeColor);
  FrameRect(&frame);
  EXPECT_EQ(c.picture(), (Picture{"......",
                                  ".#o#..",
                                  ".#o#..",
                                  ".#oo..",
                                  ".###.."}));
  for (int y = 0; y < 5; ++y)
    for (int b = 24; b < 32; ++b) EXPECT_EQ(zv::test::PixelPtr(c.img.gw(), 0, y)[b], 0) << "padding of row " << y;

  // The clip and the colours belong to the port: another draws black, unclipped.
  Image other(3, 3);
  {
    PortScope scope(other.gw());
    Rect all = rect(0, 0, 3, 3);
    PaintRect(&all);
  }
  EXPECT_EQ(other.At(2, 2), kBlack);
  // An empty clip draws nothing.
  Rect none = rect(0, 0, 0, 0);
  ClipRect(&none);
  RGBForeColor(&kWhiteColor);
  PaintRect(&big);
  EXPECT_EQ(c.img.At(2, 2), kOrange);
}

}  // namespace
