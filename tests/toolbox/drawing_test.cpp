// The standard controls' look, pixel by pixel, with the pixels around each
// control checked so that overruns show. Glyphs are left out: they belong to
// the font.
#include "harness.h"

namespace {
constexpr uint32_t kFace = 0xE6E6E6, kBlack = 0, kWhite = 0xFFFFFF, kTrack = 0x9A9A9A;

uint32_t Px(WindowRef w, int x, int y) {
  PixMapHandle pm = GetPortPixMap(GetWindowPort(w));
  auto *p = reinterpret_cast<const uint8_t *>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + x * 4;
  return static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
}

void ExpectPixels(WindowRef w, std::initializer_list<std::tuple<int, int, uint32_t>> pixels) {
  for (auto [x, y, colour] : pixels) EXPECT_EQ(Px(w, x, y), colour) << x << "," << y;
}
}  // namespace

TEST_F(ToolkitTest, ButtonsCheckBoxSliderAndHiddenControls) {
  WindowRef w = OpenWindow("demo");
  // About: 160,10 to 180,90. OK, the default: a two-pixel ring, a gap, then the framed face.
  ExpectPixels(w, {{10, 160, kBlack}, {89, 179, kBlack}, {11, 161, kWhite}, {9, 159, kFace}, {90, 180, kFace},
                   {206, 170, kBlack}, {207, 170, kBlack}, {208, 170, kFace}, {209, 170, kBlack}, {210, 162, kWhite},
                   {290, 170, kFace}});
  // The box: 10,13 to 22,25; the cross runs from 13,16 to 18,21.
  ExpectPixels(w, {{10, 13, kBlack}, {15, 18, kWhite}});
  SetControl32BitValue(Ctl(w, "Keep", 1), 1);
  ExpectPixels(w, {{13, 16, kBlack}, {15, 18, kBlack}, {11, 14, kWhite}});
  // The slider, 70,10 to 90,210, value 50 of 0..100: thumb centre 10 + 5 + 189 / 2 -> 110.
  ExpectPixels(w, {{105, 72, kBlack}, {115, 87, kBlack}, {110, 80, kWhite}, {104, 80, kTrack}, {116, 80, kTrack},
                   {110, 71, kFace}});
  SetControl32BitValue(Ctl(w, "Sldr", 1), 0);  // thumb 10..20
  ExpectPixels(w, {{10, 72, kBlack}, {110, 80, kTrack}});
  // A hidden control leaves the background.
  HideControl(Ctl(w, "butn", 3));
  EXPECT_FALSE(zv::ControlVisible(Ctl(w, "butn", 3)));
  for (int y = 160; y < 180; y += 3)
    for (int x = 10; x < 90; x += 7) ASSERT_EQ(Px(w, x, y), kFace) << x << "," << y;
  ShowControl(Ctl(w, "butn", 3));
  EXPECT_EQ(Px(w, 10, 160), kBlack);
  DisposeWindow(w);
}
