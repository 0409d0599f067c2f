// The demo window driven by scripts, as a person would drive it. Nested loops
// ending when input runs out, lines left unrun and pop-up choices are checked
// through the plug-in's dialog in tests/dialog.
#include "harness.h"

using Strings = std::vector<std::string>;

TEST_F(ToolkitTest, ButtonSendsItsCommandOnlyWhenReleasedInside) {
  Script("mouse-down 50 170\n"   // About
         "mouse-drag 50 195\n"    // off the button
         "mouse-up 50 195\n"      // released outside: nothing
         "click 5 5\n"            // outside every control: nothing
         "click 65556 19\n"       // far outside, not wrapped onto Keep at 20
         "click -65516 19\n"
         "click-control butn 2\n");  // Cancel
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_EQ(gRec.commands, Strings{"not!"});
}

TEST_F(ToolkitTest, LiveSliderCallsItsActionAtEveryChange) {
  Script("set-slider Sldr 1 75\nexpect-value Sldr 1 75\nexpect-text Lgnd 1 \"75%\"\nkey escape\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  const std::vector<int> &v = gRec.actionValues;
  EXPECT_GT(v.size(), 3u);  // several steps, as a hand drags
  EXPECT_EQ(v.back(), 75);
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
  EXPECT_EQ(std::adjacent_find(v.begin(), v.end()), v.end()) << "the action runs only when the value changes";
  EXPECT_EQ(gRec.commands, Strings{"not!"});
}

TEST_F(ToolkitTest, SliderWithMoreValuesThanPixelsReachesTheExactValueAndStaysStillUntilReleased) {
  Script("mouse-down 15 105\nmouse-drag 60 105\n"
         "expect-value Sldr 2 0\n"  // not live: the value waits for the release
         "mouse-up 60 105\n"
         "set-slider Sldr 2 777\nexpect-value Sldr 2 777\n"
         "set-slider Sldr 2 0\nexpect-value Sldr 2 0\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_TRUE(gRec.actionValues.empty());
}

// Input running out ends a loop even on a window that ignores the cancel;
// with no backend a loop ends at once.
TEST_F(ToolkitTest, ModalLoopsEndWhenInputRunsOut) {
  Script("log \"nothing\"\n");
  WindowRef about = OpenWindow("about");  // no handler at all
  EXPECT_EQ(RunAppModalLoopForWindow(about), noErr);
  DisposeWindow(about);
  EXPECT_EQ(Stop(), 0);
  RunDemo();  // no backend now
  EXPECT_EQ(gRec.commands, Strings{"not!"});
}

TEST_F(ToolkitTest, SnapshotWritesThePixelsAsPng) {
  const std::string png = dir_ + "/shot.png", rgb = dir_ + "/shot.rgb";
  Script("snapshot " + png + "\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  // FFmpeg's decoder reads it back: 300 x 200 pixels, the window's grey face
  // and the About button's black corner at (10, 160).
  ASSERT_EQ(std::system(("ffmpeg -v error -i " + png + " -f rawvideo -pix_fmt rgb24 " + rgb).c_str()), 0);
  std::ifstream in(rgb, std::ios::binary);
  const std::string pixels((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(pixels.size(), 300u * 200 * 3);
  EXPECT_EQ(pixels.substr(0, 3), "\xE6\xE6\xE6");
  EXPECT_EQ(pixels.substr((160 * 300 + 10) * 3, 3), std::string(3, '\0'));
}

// Each bad line stops the run at that line, and nothing after it runs.
TEST_F(ToolkitTest, BadLinesAndFailedExpectationsStopTheRunNamingTheLine) {
  const std::pair<const char *, const char *> cases[] = {
      {"jump 1 2", "unknown command: jump"},
      {"click 10", "click takes 2 to 6 arguments, not 1"},
      {"click-control Zzzz 1", "no control Zzzz 1 in window demo"},
      {"set-slider Keep 1 1", "Keep 1 is not a slider"},
      {"set-slider Sldr 1 101", "value 101 is outside 0 to 100"},
      {"choose-item Medi 1 4", "item 4 is outside 1 to 3"},
      {"drag-control Sldr 1 0 0 1.5 0", "not a fraction from 0 to 1: 1.5"},
      {"expect-value Sldr 1 49", "expected value 49 of Sldr 1, found 50"},
      {"expect-text Lgnd 1 \"5%\"", "expected text \"5%\" in Lgnd 1, found \"50%\""},
      {"expect-visible Lgnd 1 no", "Lgnd 1 is visible"},
      {"expect-window about", "expected window about in front, found demo"},
      {"snapshot /nonexistent/dir/x.png", "cannot write the snapshot"},
  };
  for (auto &[line, message] : cases) {
    SCOPED_TRACE(line);
    gRec = Recorded{};
    Script(std::string(line) + "\nclick-control Keep 1\n");
    RunDemo();
    EXPECT_NE(Stop(), 0);
    EXPECT_NE(log_.find("test.script:2: " + std::string(message)), std::string::npos) << log_;
    EXPECT_EQ(gRec.commands, Strings{"not!"}) << "nothing after the bad line runs";
    DisposeWindow(demo_);
    demo_ = nullptr;
  }
}
