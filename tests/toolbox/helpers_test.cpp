// The plug-in's control helpers and rectangle geometry.
#include "carbonmacros.h"
#include "dlgUtils.h"
#include "harness.h"

namespace {
std::vector<int> V(Rect r) { return {r.top, r.left, r.bottom, r.right}; }
Rect R(short t, short l, short b, short r) { return Rect{t, l, b, r}; }
}  // namespace

// Read from the value, not from memory: a little-endian machine would give "!ton".
TEST(CarbonMacros, CommandID2StrReadsTheValueNotTheMemory) {
  Str255 s;
  CommandID2Str(ZV_FOURCC('n', 'o', 't', '!'), s);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(s + 1), s[0]), "not!");
}

TEST_F(ToolkitTest, SimpleHelpersSkipMissingControls) {
  WindowRef w = OpenWindow("demo");
  const OSType lgnd = ZV_FOURCC('L', 'g', 'n', 'd'), none = ZV_FOURCC('N', 'o', 'n', 'e');
  unsigned char text[] = "\003\2457%";  // Mac Roman bullet
  SimpleSetControlText(w, lgnd, 1, text);
  EXPECT_EQ(zv::ControlText(Ctl(w, "Lgnd", 1)), "\u20227%");
  // A missing control takes nothing, reads 0 and is not reported.
  SimpleSetControlText(w, none, 1, text);
  SimpleHideControl(w, none, 1);
  SimpleShowControl(w, none, 1);
  SimpleSetControlValueByID(w, none, 1, 42);
  EXPECT_EQ(SimpleGetControlValueByID(w, none, 1), 0);
  EXPECT_EQ(SimpleGetControlByID(w, none, 1), nullptr);
  DisposeWindow(w);
}

TEST(DlgUtils, Proportions) {
  const std::tuple<Rect, Rect, bool, std::vector<int>> cases[] = {
      // original, new size, fixed horizontal, expected
      {R(0, 0, 400, 300), R(0, 0, 480, 720), false, {0, 0, 480, 360}},
      {R(0, 0, 7, 3), R(0, 0, 10, 100), true, {0, 0, 233, 100}},  // to the nearest: 233.3
      {R(0, 0, 3, 7), R(0, 0, 10, 100), true, {0, 0, 43, 100}},   // and 42.9
      {R(0, 0, 300, 400), R(5, 10, 6, 410), true, {5, 10, 305, 410}},  // the other edges stay
      // Degenerate originals: nothing to keep, or one side of nothing.
      {R(0, 0, 10, 0), R(5, 10, 50, 110), true, {5, 10, 50, 110}},
      {R(0, 0, 0, 10), R(5, 10, 50, 110), false, {5, 10, 50, 110}},
      {R(0, 0, 0, 10), R(5, 10, 50, 110), true, {5, 10, 5, 110}},
      {R(0, 0, 10, 0), R(5, 10, 50, 110), false, {5, 10, 50, 10}},
      // Beyond 16 bits the result wraps instead of trapping.
      {R(0, 0, 30000, 1), R(0, 0, 1, 2), true, {0, 0, static_cast<short>(60000), 2}},
  };
  for (const auto &[original, size, horizontal, want] : cases)
    EXPECT_EQ(V(horizontal ? KeepPropsWithFixedHorizontal(original, size) : KeepPropsWithFixedVertical(original, size)),
              want);
}
