// Frame-relative rectangles to pixels and back.
#include "relrects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

void ExpectRect(const Rect &r, short top, short left, short bottom, short right) {
  EXPECT_EQ(std::tuple(r.top, r.left, r.bottom, r.right), std::tuple(top, left, bottom, right));
}

TEST(Rel2Rect, QuartersTruncatesKeepsOrderSaturatesAndComesBackExactly) {
  RELRECT whole;
  InitRelRect(whole);
  ExpectRect(Rel2Rect(whole, Rect{10, 20, 490, 740}), 10, 20, 490, 740);
  ExpectRect(Rel2Rect(RELRECT{0.25, 0.75, 0.25, 0.75}, Rect{10, 20, 490, 740}), 130, 200, 370, 560);
  const Rect frame{0, 0, 100, 22};
  // 15/22 of 22 is a hair below 15 in doubles.
  const RELRECT back = Rect2Rel(Rect{0, 15, 100, 22}, frame);
  EXPECT_EQ(Rel2Rect(back, frame).left, 14);
  // -0.5 truncates to 0, 99.9 to 99; left may lie right of right.
  ExpectRect(Rel2Rect(RELRECT{0.9, 0.1, -0.005, 0.999}, Rect{0, 0, 100, 100}), 0, 90, 99, 10);
  // Outside the frame stays outside.
  ExpectRect(Rel2Rect(RELRECT{-0.5, 1.5, 0, 1}, Rect{0, 0, 10, 100}), 0, -50, 10, 150);
  // Damaged fractions saturate instead of wrapping.
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  ExpectRect(Rel2Rect(RELRECT{nan, inf, -inf, 1e9}, Rect{5, 7, 485, 727}), -32768, 7, 32767, 32767);
  // And back: exact quotients, and none of an empty frame.
  const auto R = [](const RELRECT &r) { return std::tuple(r.LEFT, r.RIGHT, r.TOP, r.BOTTOM); };
  EXPECT_EQ(R(Rect2Rel(Rect{130, 200, 370, 560}, Rect{10, 20, 490, 740})), std::tuple(0.25, 0.75, 0.25, 0.75));
  EXPECT_EQ(R(Rect2Rel(Rect{0, 5, 0, 10}, Rect{0, 0, 0, 20})), std::tuple(0.25, 0.5, 0.0, 0.0));
}

}  // namespace
