// Offscreen images: creation, failure, lock state, the current port and colours.

#include <gtest/gtest.h>

#include <cstdint>

#include "../support/TestImages.h"

using zv::test::Image;
using zv::test::Pixel;
using zv::test::PortScope;

namespace {

GWorldPtr const kStale = reinterpret_cast<GWorldPtr>(std::uintptr_t{0x10});

TEST(QuickDrawImage, LayoutBoundsAndZeroedBuffer) {
  for (short width : {1, 3, 4, 5, 9, 720}) {
    SCOPED_TRACE(width);
    Image img(Rect{10, -3, 14, static_cast<short>(-3 + width)});
    const long rb = img.rowBytes();
    EXPECT_TRUE(rb % 16 == 0 && rb >= 4L * width && rb < 4L * width + 16) << rb;
    auto *base = reinterpret_cast<std::uint8_t *>(GetPixBaseAddr(GetGWorldPixMap(img.gw())));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % 16, 0u);
    // Every byte of every row, padding included, is there and zero.
    for (long i = 0; i < rb * 4; ++i) ASSERT_EQ(base[i], 0) << "byte " << i;
    Rect pix;
    const Rect want{10, -3, 14, static_cast<short>(-3 + width)};
    GetPixBounds(GetGWorldPixMap(img.gw()), &pix);
    EXPECT_TRUE(EqualRect(&pix, &want));
  }
}

TEST(QuickDrawImage, BadRequestsFailAndLeaveNoImage) {
  const Rect ok{0, 0, 4, 4};
  GWorldPtr gw;
  const std::pair<short, Rect> bad[] = {{1, ok},  {8, ok},  {16, ok}, {24, ok}, {31, ok}, {64, ok}, {32, {0, 0, 0, 4}},
                                        {32, {0, 0, 4, 0}}, {32, {5, 5, 4, 6}}, {32, {5, 5, 6, 4}}};
  for (const auto &[depth, r] : bad) {
    gw = kStale;
    EXPECT_EQ(NewGWorld(&gw, depth, &r, nullptr, nullptr, 0), paramErr) << depth;
    EXPECT_EQ(gw, nullptr);
  }
  EXPECT_EQ(NewGWorld(&gw, 32, nullptr, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(nullptr, 32, &ok, nullptr, nullptr, 0), paramErr);

  // Depth 0 means 32; the widest bounds the coordinates allow still work out.
  ASSERT_EQ(NewGWorld(&gw, 0, &ok, nullptr, nullptr, 0), noErr);
  DisposeGWorld(gw);
  const Rect wide{0, -32768, 1, 32767};
  ASSERT_EQ(NewGWorld(&gw, 32, &wide, nullptr, nullptr, 0), noErr);
  EXPECT_EQ(GetPixRowBytes(GetGWorldPixMap(gw)), 65535L * 4 + 4);
  DisposeGWorld(gw);
}

TEST(QuickDrawImage, ReusedBufferComesBackZeroed) {
  // Large enough to be kept for reuse after disposal.
  for (int round = 0; round < 2; ++round) {
    Image img(1920, 1080);
    EXPECT_TRUE(img.At(0, 0) == Pixel{} && img.At(1919, 1079) == Pixel{}) << round;
    img.Fill({1, 2, 3, 4});
  }
  Image a(1920, 1080), b(1920, 1080);
  EXPECT_NE(GetPixBaseAddr(GetGWorldPixMap(a.gw())), GetPixBaseAddr(GetGWorldPixMap(b.gw())));
}

// Saving and restoring the current port, device and lock state is checked where
// the plug-in relies on it: Glue.PortDeviceAndLockStateComeBackAsTheyWere in tests/plugin/glue_test.cpp.
TEST(QuickDrawPort, DisposedPortIsNeverCurrent) {
  GWorldPtr gw;
  const Rect r{0, 0, 4, 4};
  ASSERT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr);
  PortScope scope(gw);
  DisposeGWorld(gw);
  GrafPtr now = kStale;
  GetPort(&now);
  EXPECT_EQ(now, nullptr);
  // Without a port these do nothing rather than touch freed memory.
  const RGBColor c{1, 2, 3};
  RGBForeColor(&c);
  PaintRect(&r);
  FrameOval(&r);
  ClipRect(&r);
  SetPort(gw);  // a stale pointer is not taken
  GetPort(&now);
  EXPECT_EQ(now, nullptr);
  DisposeGWorld(gw);  // a second disposal is ignored
  DisposeGWorld(nullptr);
}

}  // namespace
