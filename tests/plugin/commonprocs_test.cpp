// Colours, strings and the alerts.
#include "Scripted.h"
#include "commonprocs.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

namespace {

using zv::test::Scripted;

std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char *>(s + 1), s[0]); }

TEST(Colors, PackingAndUnpacking) {
  const PIXREC p = LongInt2PixRec(static_cast<SInt32>(0x7F123456));
  EXPECT_EQ((std::array<int, 4>{p.ALPHA, p.RED, p.GREEN, p.BLUE}), (std::array<int, 4>{0, 0x12, 0x34, 0x56}));
  EXPECT_EQ(PixRec2LongInt(PIXREC{255, 1, 2, 3}), 66051);
  EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 16744448);
  EXPECT_EQ(RGBColor2LongInt(LongInt2RGBColor(static_cast<SInt32>(0xAB123456))), 0x123456);  // the low 24 bits
}

TEST(Strings, JoinsCutAt255) {
  Str255 s;
  CopyC2PStr(std::string(250, 'a'), s);
  AppendCStr(s, "0123456789");
  EXPECT_EQ(s[0], 255);
  EXPECT_EQ(Text(s), std::string(250, 'a') + "01234");
  CopyC2PStr(std::string(300, 'b'), s);
  EXPECT_EQ(s[0], 255);
}

TEST(Alerts, AWarningShowsItsTwoButtonsAndTellsWhichAnswered) {
  Str255 head, text, go, stop;
  CopyC2PStr("Head", head), CopyC2PStr("Text", text), CopyC2PStr("Go", go), CopyC2PStr("Stop", stop);
  const std::string shown = "expect-window alert\nexpect-text alrt 10 \"Head\"\nexpect-text alrt 11 \"Text\"\n"
                            "expect-text alrt 1 \"Go\"\nexpect-text alrt 2 \"Stop\"\n";
  for (const auto &[key, want] : {std::pair{"return", 1}, {"escape", 2}}) {
    SInt16 hit = 0;
    std::string log;
    const auto answer = [&] { hit = StandardWarning(head, text, go, stop); };
    EXPECT_EQ(Scripted(testing::TempDir(), shown + "key " + key + "\n", answer, log), 0) << log;
    EXPECT_EQ(hit, want) << key;
  }
}

TEST(AlertsDeathTest, AssertAndTerminateStopTheProcessWithTheirTexts) {
  EXPECT_EXIT(Terminate("Headline", "Description"), testing::ExitedWithCode(1), "Headline: Description");
  // The joined text is cut at 255 characters.
  const std::string longWhere(300, 'x');
  const std::string shown = "Assertion failed in: " + std::string(255 - 21, 'x');
  EXPECT_EXIT(Assert(nullptr, longWhere), testing::ExitedWithCode(1), shown + "\n");
}

}  // namespace
