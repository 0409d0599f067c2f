// Frame-relative rectangles to pixels and back.
#include "relrects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void ExpectRect(const Rect &r, short top, short left, short bottom, short right) {
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.bottom, bottom);
  EXPECT_EQ(r.right, right);
}

TEST(Rel2Rect, WholeFrameAndQuartersOnFramesAtAnyOrigin) {
  RELRECT whole;
  InitRelRect(whole);
  ExpectRect(Rel2Rect(whole, Rect{10, 20, 490, 740}), 10, 20, 490, 740);

  const RELRECT mid{0.25, 0.75, 0.25, 0.75};
  ExpectRect(Rel2Rect(mid, Rect{0, 0, 480, 720}), 120, 180, 360, 540);
  ExpectRect(Rel2Rect(mid, Rect{10, 20, 490, 740}), 130, 200, 370, 560);
}

TEST(Rel2Rect, TruncatesTowardZeroAndKeepsOrderAsGiven) {
  const Rect frame{0, 0, 100, 22};
  // 15/22 of 22 is a hair below 15 in doubles.
  const RELRECT back = Rect2Rel(Rect{0, 15, 100, 22}, frame);
  EXPECT_EQ(Rel2Rect(back, frame).left, 14);
  // -0.5 truncates to 0, 99.9 to 99; left may lie right of right.
  ExpectRect(Rel2Rect(RELRECT{0.9, 0.1, -0.005, 0.999}, Rect{0, 0, 100, 100}), 0, 90, 99, 10);
  // Outside the frame stays outside.
  ExpectRect(Rel2Rect(RELRECT{-0.5, 1.5, 0, 1}, Rect{0, 0, 10, 100}), 0, -50, 10, 150);
}

TEST(Rel2Rect, DamagedFractionsSaturateInsteadOfWrapping) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Rect r = Rel2Rect(RELRECT{nan, inf, -inf, 1e9}, Rect{5, 7, 485, 727});
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.right, 32767);
  EXPECT_EQ(r.top, -32768);
  EXPECT_EQ(r.bottom, 32767);
}

TEST(Rect2Rel, ExactQuotientsAndEmptyFrames) {
  const RELRECT rel = Rect2Rel(Rect{130, 200, 370, 560}, Rect{10, 20, 490, 740});
  EXPECT_EQ(rel.LEFT, 0.25);
  EXPECT_EQ(rel.RIGHT, 0.75);
  EXPECT_EQ(rel.TOP, 0.25);
  EXPECT_EQ(rel.BOTTOM, 0.75);

  const RELRECT flat = Rect2Rel(Rect{0, 5, 0, 10}, Rect{0, 0, 0, 20});
  EXPECT_EQ(flat.TOP, 0.0);
  EXPECT_EQ(flat.BOTTOM, 0.0);
  EXPECT_EQ(flat.RIGHT, 0.5);
}

}  // namespace
