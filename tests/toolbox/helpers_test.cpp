// The plug-in's control helpers and rectangle geometry.
#include "carbonmacros.h"
#include "dlgUtils.h"
#include "harness.h"

namespace {
std::string P2S(const Str255 s) { return std::string(reinterpret_cast<const char *>(s + 1), s[0]); }
std::vector<int> V(Rect r) { return {r.top, r.left, r.bottom, r.right}; }
Rect R(short t, short l, short b, short r) { return Rect{t, l, b, r}; }
}  // namespace

TEST(CarbonMacros, CommandID2StrReadsTheValueNotTheMemory) {
  Str255 s;
  CommandID2Str(ZV_FOURCC('o', 'k', ' ', ' '), s);
  EXPECT_EQ(P2S(s), "ok  ");
  // The same identifier as it arrives from a big-endian and a little-endian record.
  const uint8_t big[4] = {'n', 'o', 't', '!'}, little[4] = {'!', 't', 'o', 'n'};
  UInt32 fromBig = static_cast<UInt32>(big[0]) << 24 | big[1] << 16 | big[2] << 8 | big[3];
  UInt32 fromLittle = static_cast<UInt32>(little[3]) << 24 | little[2] << 16 | little[1] << 8 | little[0];
  CommandID2Str(fromBig, s);
  EXPECT_EQ(P2S(s), "not!");
  CommandID2Str(fromLittle, s);
  EXPECT_EQ(P2S(s), "not!");
}

TEST_F(ToolkitTest, SimpleHelpersSkipMissingControls) {
  WindowRef w = OpenWindow("demo");
  const OSType lgnd = ZV_FOURCC('L', 'g', 'n', 'd'), none = ZV_FOURCC('N', 'o', 'n', 'e');
  unsigned char text[] = "\003\2457%";  // Mac Roman bullet
  SimpleSetControlText(w, lgnd, 1, text);
  EXPECT_EQ(zv::ControlText(Ctl(w, "Lgnd", 1)), "\u20227%");
  SimpleSetControlText(w, none, 1, text);  // nothing, no report
  SimpleHideControl(w, lgnd, 1);
  EXPECT_FALSE(zv::ControlVisible(Ctl(w, "Lgnd", 1)));
  SimpleShowControl(w, lgnd, 1);
  EXPECT_TRUE(zv::ControlVisible(Ctl(w, "Lgnd", 1)));
  SimpleHideControl(w, none, 1);
  EXPECT_EQ(SimpleGetControlByID(w, none, 1), nullptr);
  SimpleSetControlValueByID(w, ZV_FOURCC('S', 'l', 'd', 'r'), 1, 42);
  EXPECT_EQ(SimpleGetControlValueByID(w, ZV_FOURCC('S', 'l', 'd', 'r'), 1), 42);
  SimpleSetControlValueByID(w, none, 1, 42);  // a missing control reads 0 and takes nothing
  EXPECT_EQ(SimpleGetControlValueByID(w, none, 1), 0);
  EXPECT_EQ(V(GetControlBox(Ctl(w, "Sldr", 1))), (std::vector<int>{70, 10, 90, 210}));
  DisposeWindow(w);
}

TEST(DlgUtils, DimensionsAndProportions) {
  SInt32 w, h;
  GetDims(R(10, 20, 110, 220), w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 100);

  EXPECT_EQ(V(KeepPropsWithFixedHorizontal(R(0, 0, 300, 400), R(0, 0, 480, 720))), (std::vector<int>{0, 0, 540, 720}));
  EXPECT_EQ(V(KeepPropsWithFixedVertical(R(0, 0, 400, 300), R(0, 0, 480, 720))), (std::vector<int>{0, 0, 480, 360}));
  EXPECT_EQ(KeepPropsWithFixedHorizontal(R(0, 0, 7, 3), R(0, 0, 10, 100)).bottom, 233);
  EXPECT_EQ(KeepPropsWithFixedHorizontal(R(0, 0, 3, 7), R(0, 0, 10, 100)).bottom, 43);
  // The other edges stay those of the new size.
  EXPECT_EQ(V(KeepPropsWithFixedHorizontal(R(0, 0, 300, 400), R(5, 10, 6, 410))), (std::vector<int>{5, 10, 305, 410}));
}

TEST(DlgUtils, DegenerateOriginals) {
  const Rect size = R(5, 10, 50, 110);
  EXPECT_EQ(V(KeepPropsWithFixedHorizontal(R(0, 0, 10, 0), size)), V(size));   // no width
  EXPECT_EQ(V(KeepPropsWithFixedVertical(R(0, 0, 0, 10), size)), V(size));     // no height
  EXPECT_EQ(V(KeepPropsWithFixedHorizontal(R(0, 0, 0, 10), size)), (std::vector<int>{5, 10, 5, 110}));  // BOTTOM = TOP
  EXPECT_EQ(V(KeepPropsWithFixedVertical(R(0, 0, 10, 0), size)), (std::vector<int>{5, 10, 50, 10}));    // RIGHT = LEFT
  // Results beyond 16 bits wrap instead of trapping.
  Rect tall = KeepPropsWithFixedHorizontal(R(0, 0, 30000, 1), R(0, 0, 1, 2));
  EXPECT_EQ(tall.bottom, static_cast<short>(60000));
}
