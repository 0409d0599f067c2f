// The demo window driven by scripts, as a person would drive it.
#include <zlib.h>
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

TEST_F(ToolkitTest, CheckBoxTogglesAndPopUpChoosesSendingTheirCommands) {
  Script("click-control Keep 1\n"
         "expect-value Keep 1 1\n"
         "click-control Keep 1\n"
         "expect-value Keep 1 0\n"
         "choose-item Medi 1 3\n"
         "expect-value Medi 1 3\n"
         "choose-item Medi 1 3\n"  // the same item again is still a choice
         "drag-control Medi 1 0.5 0.5 0.5 0.5\n"
         "mouse-down 295 195\n"    // press off the menu, release there: no choice
         "mouse-up 295 195\n"
         "expect-value Medi 1 3\n"
         "key return\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_EQ(gRec.commands, (Strings{"Keep", "Keep", "Medi", "Medi", "Medi", "ok  "}));
}

TEST_F(ToolkitTest, LiveSliderCallsItsActionAtEveryChange) {
  Script("set-slider Sldr 1 75\n"
         "expect-value Sldr 1 75\n"
         "expect-text Lgnd 1 \"75%\"\n"
         "key escape\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  ASSERT_FALSE(gRec.actionValues.empty());
  EXPECT_GT(gRec.actionValues.size(), 3u);  // several steps, as a hand drags
  EXPECT_EQ(gRec.actionValues.back(), 75);
  EXPECT_TRUE(std::is_sorted(gRec.actionValues.begin(), gRec.actionValues.end()));
  EXPECT_EQ(std::adjacent_find(gRec.actionValues.begin(), gRec.actionValues.end()), gRec.actionValues.end())
      << "the action runs only when the value changes";
  EXPECT_EQ(gRec.commands, Strings{"not!"});
}

TEST_F(ToolkitTest, SliderWithMoreValuesThanPixelsReachesTheExactValueAndStaysStillUntilReleased) {
  Script("mouse-down 15 105\n"
         "mouse-drag 60 105\n"
         "expect-value Sldr 2 0\n"  // not live: the value waits for the release
         "mouse-up 60 105\n"
         "set-slider Sldr 2 777\n"
         "expect-value Sldr 2 777\n"
         "set-slider Sldr 2 0\n"
         "expect-value Sldr 2 0\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_TRUE(gRec.actionValues.empty());
}

TEST_F(ToolkitTest, CustomControlHitTestsTracksWithModifiersAndSendsItsCommand) {
  Script("click 200 50\n"  // bottom half: its hit test says no part
         "drag-control Cust 1 0.25 0.1 0.75 0.3 shift option steps 2\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  Strings interactive;
  for (auto &s : gRec.custom)
    if (s != "draw" && s != "activate") interactive.push_back(s);
  EXPECT_EQ(interactive, (Strings{"hittest 0", "hittest 1", "track 192 15 shift option", "drag 225 20", "drag 257 25",
                                  "up 257 25", "hit shift option"}));
  EXPECT_EQ(gRec.commands, (Strings{"Cust", "not!"}));  // then the script ends: cancel
  EXPECT_EQ(gRec.custom.front(), "activate");
}

TEST_F(ToolkitTest, NestedModalLoopsReturnToTheOuterWindow) {
  Script("expect-window demo\n"
         "click-control butn 3\n"
         "expect-window about\n"
         "expect-text Plug 1 \"Demo\"\n"
         "click 20 20\n"  // static text: nothing
         "key return\n"
         "expect-window demo\n"
         "click-control butn 1\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_EQ(gRec.commands, (Strings{"Info", "ok  ", "ok  "}));
}

TEST_F(ToolkitTest, EndOfScriptCancelsEveryOpenModalLoop) {
  Script("click-control butn 3\n"
         "log \"in the about window\"\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_EQ(gRec.commands, (Strings{"Info", "not!", "not!"}));
  EXPECT_EQ(log_, "in the about window\n");
}

TEST_F(ToolkitTest, LoopWhoseWindowIgnoresCancelStillEndsWhenInputRunsOut) {
  Script("log \"nothing\"\n");
  demo_ = OpenWindow("about");  // no handler at all
  ShowWindow(demo_);
  RunAppModalLoopForWindow(demo_);
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ToolkitTest, WithoutBackendAModalLoopEndsAtOnceWithCancel) {
  demo_ = OpenWindow("demo");
  EventTypeSpec theSpec = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(demo_), NewEventHandlerUPP([](EventHandlerCallRef, EventRef e, void *) {
                        HICommand cmd;
                        GetEventParameter(e, kEventParamDirectObject, typeHICommand, nullptr, sizeof cmd, nullptr, &cmd);
                        gRec.commands.push_back(Code(cmd.commandID));
                        return OSStatus(eventNotHandledErr);
                      }),
                      1, &theSpec, nullptr, nullptr);
  EXPECT_EQ(RunAppModalLoopForWindow(demo_), noErr);
  EXPECT_EQ(gRec.commands, Strings{"not!"});
}

TEST_F(ToolkitTest, LinesLeftWhenTheProgramEndsFailTheRun) {
  Script("click-control butn 1\n"
         "expect-value Keep 1 0\n");
  RunDemo();
  EXPECT_NE(Stop(), 0);
  EXPECT_NE(log_.find("test.script:3: the program ended before this line ran"), std::string::npos) << log_;
}

TEST_F(ToolkitTest, SnapshotWritesThePixelsAsPng) {
  std::string png = dir_ + "/shot.png";
  Script("snapshot " + png + "\n");
  RunDemo();
  EXPECT_EQ(Stop(), 0) << log_;
  std::ifstream in(png, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 57u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(bytes.substr(12, 4), "IHDR");
  EXPECT_EQ(static_cast<uint8_t>(bytes[19]), 44);   // width 300
  EXPECT_EQ(static_cast<uint8_t>(bytes[23]), 200);  // height 200
  // The image data inflates to one filter byte and 300 RGB pixels a row.
  ASSERT_EQ(bytes.substr(37, 4), "IDAT");
  const uLong packed = static_cast<uint8_t>(bytes[33]) << 24 | static_cast<uint8_t>(bytes[34]) << 16 |
                       static_cast<uint8_t>(bytes[35]) << 8 | static_cast<uint8_t>(bytes[36]);
  std::vector<Bytef> raw(200 * (1 + 300 * 3) + 1);
  uLongf size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef *>(bytes.data() + 41), packed), Z_OK);
  EXPECT_EQ(size, 200u * (1 + 300 * 3));
}

// Each bad line stops the run at that line, and nothing after it runs.
TEST_F(ToolkitTest, BadLinesAndFailedExpectationsStopTheRunNamingTheLine) {
  const std::pair<const char *, const char *> cases[] = {
      {"jump 1 2", "unknown command: jump"},
      {"click 10", "takes 2 to 6 arguments"},
      {"click ten 10", "not a whole number: ten"},
      {"click 10 10 hyper", "unexpected word: hyper"},
      {"mouse-up 1 2 3", "takes 2 arguments, not 3"},
      {"key f1", "unknown key: f1"},
      {"command ok", "four characters"},
      {"click-control Zzzz 1", "no control Zzzz 1 in window demo"},
      {"click-control butn", "takes 2 to 6 arguments"},
      {"set-slider Keep 1 1", "is not a slider"},
      {"set-slider Sldr 1 101", "outside 0 to 100"},
      {"choose-item Medi 1 4", "outside 1 to 3"},
      {"choose-item Sldr 1 1", "is not a pop-up menu"},
      {"drag 1 2 3 4 steps 0", "steps must be 1 to 1000"},
      {"drag-control Sldr 1 0 0 1.5 0", "not a fraction from 0 to 1: 1.5"},
      {"expect-value Sldr 1 49", "expected value 49 of Sldr 1, found 50"},
      {"expect-text Lgnd 1 \"5%\"", "expected text \"5%\" in Lgnd 1, found \"50%\""},
      {"expect-text Lgnd 1 \"50%", "unterminated \""},
      {"expect-visible Lgnd 1 maybe", "yes or no"},
      {"expect-visible Lgnd 1 no", "Lgnd 1 is visible"},
      {"expect-window about", "expected window about in front, found demo"},
      {"log nothing", "expected a quoted text"},
      {"snapshot /nonexistent/dir/x.png", "cannot write the snapshot"},
  };
  for (auto &[line, message] : cases) {
    SCOPED_TRACE(line);
    gRec = Recorded{};
    Script(std::string(line) + "\nclick-control Keep 1\n");
    RunDemo();
    EXPECT_NE(Stop(), 0);
    EXPECT_NE(log_.find("test.script:2: "), std::string::npos) << log_;
    EXPECT_NE(log_.find(message), std::string::npos) << log_;
    EXPECT_EQ(gRec.commands, Strings{"not!"}) << "nothing after the bad line runs";
    DisposeWindow(demo_);
    demo_ = nullptr;
  }
}
