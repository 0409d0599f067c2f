// The configuration dialog in process: the plug-in's button pressed on the
// recording test host, the dialog driven by scripts, and then the master
// configuration, the stored one and the frames the host was asked for.
#include "PluginState.h"
#include "Scripted.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace zv::test;

// The NTSC window's frame editor (Clip 1): 540 x 360 pixels at (16, 16).
constexpr double kClipLeft = 16, kClipTop = 16, kClipWidth = 540, kClipHeight = 360;

class Dialog : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
    // A render pass first, as a host does, so the plug-in knows the clip.
    ASSERT_EQ(host_->RenderPass(0, 100), kPluginOK);
    host_->ClearCalls();
  }

  // Presses the effect's button with the playhead on `renderFrame`, the
  // dialog driven by `lines`; non-zero when a line failed or never ran.
  int Press(const std::string &lines, SInt32 renderFrame = 0) {
    return Scripted(prefs_.Folder(), lines, [&] {
      host_->Params().renderFrame = renderFrame;
      EXPECT_EQ(host_->Send(kPlugCustomButtonClick), kPluginOK);
    }, log_);
  }
  void Drive(const std::string &lines, SInt32 renderFrame = 0) { EXPECT_EQ(Press(lines, renderFrame), 0) << log_; }
  std::vector<SInt32> FramesFetched() const {
    std::vector<SInt32> frames;
    for (const CallRecord &c : host_->CallsOf(Callback::GetFrame)) frames.push_back(c.frame);
    return frames;
  }

  std::string log_;
};

// ---- Frames ---------------------------------------------------------------

// A pass of 15 frames starting at frame 20 of the clip, the button on its
// frame 12: the slider spans the pass and each position shows its own frame.
TEST_F(Dialog, FrameSliderSpansThePassFromTheButtonsFrame) {
  host_->SetClip(40, PaintPattern);
  ASSERT_EQ(host_->RenderPass(20, 15), kPluginOK);
  host_->ClearCalls();
  Drive("expect-window configNTSC\nexpect-text ClpM 1 \"12/14\"\nexpect-value ClpS 1 12\n"
        "set-slider ClpS 1 0\nexpect-text ClpM 1 \"0/14\"\nclick-control Revi 1\n"
        "click-control Adva 1\nexpect-text ClpM 1 \"1/14\"\n"
        // the type already set: the same window stays, frame and all
        "choose-item Medi 1 1\nexpect-text ClpM 1 \"1/14\"\nclick-control 'ok  ' 1\n",
        12);
  const std::vector<CallRecord> calls = host_->CallsOf(Callback::GetFrame);
  ASSERT_GE(calls.size(), 3u);
  for (const CallRecord &c : calls) EXPECT_EQ((std::tuple<int, int, int>(c.width, c.height, c.quality)), std::tuple(720, 480, int(kDVHighQuality)));
  const std::vector<SInt32> frames = FramesFetched();
  EXPECT_EQ(frames.front(), 32);
  EXPECT_EQ(frames.back(), 21);
  EXPECT_EQ(*std::min_element(frames.begin(), frames.end()), 20);
  // A step back at the first frame fetches nothing; the last: FrameSliderAtTheLastFrameAndOnePast.
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 20), 1);
}

// The button on the pass's last frame, or one past it (the playhead at the
// clip's end): the slider opens on the last frame and goes no further.
TEST_F(Dialog, FrameSliderAtTheLastFrameAndOnePast) {
  host_->SetClip(40, PaintPattern);
  ASSERT_EQ(host_->RenderPass(20, 15), kPluginOK);
  for (const SInt32 at : {14, 15}) {
    host_->ClearCalls();
    Drive("expect-text ClpM 1 \"14/14\"\nexpect-value ClpS 1 14\nclick-control Adva 1\nexpect-value ClpS 1 14\n"
          "click-control Revi 1\nexpect-text ClpM 1 \"13/14\"\nclick-control 'not!' 1\n", at);
    EXPECT_EQ(FramesFetched(), (std::vector<SInt32>{20 + at, 33}));
  }
}

TEST_F(Dialog, BeforeAnyFrameRequestTheSliderHoldsOneFrame) {
  ResetPluginGlobals();
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  Drive("expect-text ClpM 1 \"0/0\"\nclick-control Adva 1\nexpect-value ClpS 1 0\nclick-control 'not!' 1\n", 5);
  EXPECT_EQ(FramesFetched(), std::vector<SInt32>{5});
}

// The frame the button asks for, the window and the pop-up for each stored
// media type; types the pop-up does not offer behave as NTSC.
TEST_F(Dialog, EachMediaTypeOpensItsWindowAtItsFrameSize) {
  const std::tuple<SInt16, const char *, int, SInt16, SInt16> cases[] = {
      {0, "configNTSC", 1, 720, 480}, {2, "configPAL", 2, 720, 576}, {3, "configHD", 3, 960, 540},
      {4, "configNTSC", 1, 720, 480}};
  for (const auto &[type, window, popup, width, height] : cases) {
    SCOPED_TRACE(type);
    host_->ClearCalls();
    Master()->MEDIATYPE = type;
    Drive(std::string("expect-window ") + window + "\nexpect-value Medi 1 " + std::to_string(popup) +
          "\nclick-control 'not!' 1\n");
    const std::vector<CallRecord> calls = host_->CallsOf(Callback::GetFrame);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ((std::pair<int, int>(calls[0].width, calls[0].height)), (std::pair<int, int>(width, height)));
    EXPECT_EQ(Master()->MEDIATYPE, type);
  }
}

TEST_F(Dialog, ANoticeAndNoDialogWhenTheHostHasNoFrame) {
  host_->FailCallback(Callback::GetFrame);
  const std::vector<UInt8> before = MasterBytes();
  // The last line would run only if a dialog asked for input.
  EXPECT_NE(Press("expect-window alert\nexpect-text alrt 10 \"Internal Notification:\"\n"
                  "expect-text alrt 1 \"ok\"\nkey return\nlog \"a dialog opened\"\n"),
            0);
  EXPECT_NE(log_.find("dialog.script:5: the program ended before this line ran"), std::string::npos) << log_;
  EXPECT_EQ(host_->CallsOf(Callback::GetFrame).size(), 1u);
  EXPECT_EQ(MasterBytes(), before);
}

// ---- OK, Cancel and the buttons -------------------------------------------

// The script ends in the About window, so input running out cancels both
// windows, the inner and then the dialog.
TEST_F(Dialog, CancelAfterEditsAndMediaSwitchesPutsEverythingBack) {
  Master()->MEDIATYPE = kMediaPAL;
  Master()->SLIDERS[0] = 33;
  Master()->COLORS[2] = {0x1234, 0x5678, 0x9ABC};  // low bytes a Col command would clear
  const std::vector<UInt8> before = MasterBytes();
  const std::string stored = Slurp(prefs_.PrefsFile());
  ASSERT_FALSE(stored.empty());
  Drive("expect-window configPAL\nexpect-text Lgnd 1 \"33%\"\nset-slider Sldr 1 90\n"
        "drag-control Clip 1 0.5 0.5 0.6 0.7\nclick-control Keep 1\n"
        "choose-item Medi 1 3\nexpect-window configHD\nexpect-text Lgnd 1 \"90%\"\nset-slider Sldr 2 10\n"
        "choose-item Medi 1 1\nexpect-window configNTSC\nclick-control Rset 1\nclick-control Info 1\n"
        "expect-window about\nexpect-text Vers 1 \"Version " + std::string(cPlugVersion) + "\"\n");
  EXPECT_EQ(MasterBytes(), before);
  EXPECT_EQ(Slurp(prefs_.PrefsFile()), stored);
  // The preview frame was asked for at the PAL size, and only once.
  const std::vector<CallRecord> calls = host_->CallsOf(Callback::GetFrame);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ((std::pair<int, int>(calls[0].width, calls[0].height)), std::pair(720, 576));
}

TEST_F(Dialog, ResetKeepsTheMediaTypeAndOKStoresTheResult) {
  Master()->MEDIATYPE = kMediaHD;
  for (SInt16 &s : Master()->SLIDERS) s = 80;
  Master()->STARTREL = {0.1, 0.2, 0.3, 0.4};
  Master()->COLORS[0] = {0xFF00, 0xFF00, 0xFF00};
  Drive("expect-text Lgnd 2 \"80%\"\nclick-control Rset 1\nexpect-window configHD\n"
        "expect-value Sldr 2 50\nexpect-text Lgnd 2 \"50%\"\nexpect-value Medi 1 3\nclick-control 'ok  ' 1\n");
  PLUGINDATAREC defaults = DefaultConfig();
  defaults.MEDIATYPE = kMediaHD;
  EXPECT_EQ(std::memcmp(Master(), &defaults, sizeof defaults), 0);
  // OK stored it: a fresh start of the plug-in reads it back.
  const std::vector<UInt8> accepted = MasterBytes();
  ResetPluginGlobals();
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(MasterBytes(), accepted);
}

// Legends with distinct values, so a wrong item shows; the check box and the
// pop-up show the configuration they govern, also after the window changes
// and after Reset.
TEST_F(Dialog, LegendsHiddenControlsKeepAndMethodShowTheConfiguration) {
  Master()->STARTREL = {0.25, 0.75, 0.25, 0.75};
  Master()->KEEPPROPS = true;
  Drive("expect-visible Sldr 4 no\nexpect-visible Colr 1 no\nexpect-visible Rect 1 no\n"
        "set-slider Sldr 2 75\nexpect-text Lgnd 2 \"75%\"\nexpect-text Lgnd 1 \"50%\"\nclick-control Sall 1\n"
        "expect-value Keep 1 1\nclick-control Keep 1\nexpect-value Keep 1 0\nclick-control Keep 1\n"
        "choose-item Medi 1 2\nexpect-value Keep 1 1\nexpect-value Sldr 2 75\n"
        "click-control 'ok  ' 1\n");
  EXPECT_EQ(Master()->SLIDERS[1], 75);
  const RELRECT whole = {0, 1, 0, 1};
  EXPECT_EQ(std::memcmp(&Master()->STARTREL, &whole, sizeof whole), 0);
  EXPECT_TRUE(Master()->KEEPPROPS);
  EXPECT_EQ(Master()->MEDIATYPE, kMediaPAL);
  Drive("click-control Rset 1\nexpect-value Keep 1 0\nexpect-value Meth 1 1\nclick-control 'ok  ' 1\n");
  EXPECT_FALSE(Master()->KEEPPROPS);
}

// ---- The frame editor -----------------------------------------------------

// Opening, switching layouts and OK leave fractions that no pixel grid holds
// exactly as they were.
TEST_F(Dialog, TheRectangleStaysWhereItWasUntilTheUserMovesIt) {
  const RELRECT stored = {39.0 / 540, 401.0 / 540, 1.0 / 3, 0.7};
  Master()->STARTREL = stored;
  Drive("choose-item Medi 1 3\nchoose-item Medi 1 2\nchoose-item Medi 1 1\nchoose-item Medi 1 3\n"
        "choose-item Medi 1 1\nexpect-window configNTSC\nclick-control 'ok  ' 1\n");
  EXPECT_EQ(std::memcmp(&Master()->STARTREL, &stored, sizeof stored), 0);
}

// What, the rectangle before, the script, the rectangle expected in window pixels, Keep's state.
struct DragCase { const char *what; RELRECT start; const char *script; short left, top, right, bottom; bool keepProps = false; };

// From the rectangle (151, 106)-(421, 286), a quarter in from every side.
constexpr RELRECT kQuarter = {0.25, 0.75, 0.25, 0.75};

const DragCase kDrags[] = {
    {"move", kQuarter, "drag 286 196 306 216\n", 171, 126, 441, 306},
    {"top-left", kQuarter, "drag 151 106 131 96\n", 131, 96, 421, 286},
    {"top-right", kQuarter, "drag 421 106 441 86\n", 151, 86, 441, 286},
    {"bottom-left", kQuarter, "drag 151 286 141 306\n", 141, 106, 421, 306},
    {"bottom-right", kQuarter, "drag 421 286 401 276\n", 151, 106, 401, 276},
    {"handle outside the rectangle", kQuarter, "drag 146 101 136 91\n", 141, 96, 421, 286},
    {"past the opposite corner", kQuarter, "drag 151 106 451 316\n", 421, 286, 451, 316},
    {"option: about the centre", kQuarter, "drag 421 286 431 296 option\n", 141, 96, 431, 296},
    // 310 wide at 270:180 is 206.67 high
    {"shift: its own proportions", kQuarter, "drag 421 286 461 296 shift\n", 151, 106, 461, 313},
    // Keep gives 135 x 180 the editor's 3:2 at once, then every drag: 185 wide is 123 high.
    {"keep proportions", {0.25, 0.5, 0.25, 0.75}, "click-control Keep 1\ndrag 286 196 336 216\n", 151, 106, 336, 229,
     true},
    {"out of the control and back", kQuarter,
     "mouse-down 286 196\nmouse-drag 296 196\nmouse-drag 600 196\nmouse-drag 610 300\nmouse-drag 300 250\n"
     "mouse-drag 700 250\nmouse-up 700 250\n", 165, 160, 435, 340},
    // The last step inside is at (555, 296).
    {"corner out of the control", kQuarter, "drag 421 286 600 300\n", 151, 106, 555, 296},
    {"partly out of the frame", kQuarter, "drag 286 196 546 196\n", 411, 106, 681, 286},
    // A damaged record's rectangle that is not finite is the whole frame, (16, 16)-(556, 376).
    {"not finite, moved", {NAN, 0.5, NAN, 0.75}, "drag 286 196 306 216\n", 36, 36, 576, 396},
    {"infinite, left alone", {-INFINITY, 0.5, 0.25, INFINITY}, "", 16, 16, 556, 376},
    {"clicks that start nothing", kQuarter,
     "click 60 300\ndrag 60 300 200 200\ndrag 600 100 300 200\ndrag 10 10 200 200\nclick 286 196\n", 151, 106, 421, 286},
};

TEST_F(Dialog, FrameEditorDrags) {
  for (const DragCase &d : kDrags) {
    SCOPED_TRACE(d.what);
    Master()->STARTREL = d.start;
    Master()->KEEPPROPS = false;
    const RELRECT endBefore = Master()->ENDREL;
    ASSERT_EQ(Press(std::string(d.script) + "click-control 'ok  ' 1\n"), 0) << log_;
    const RELRECT &r = Master()->STARTREL;
    EXPECT_NEAR(r.LEFT, (d.left - kClipLeft) / kClipWidth, 1e-9);
    EXPECT_NEAR(r.RIGHT, (d.right - kClipLeft) / kClipWidth, 1e-9);
    EXPECT_NEAR(r.TOP, (d.top - kClipTop) / kClipHeight, 1e-9);
    EXPECT_NEAR(r.BOTTOM, (d.bottom - kClipTop) / kClipHeight, 1e-9);
    EXPECT_EQ(Master()->KEEPPROPS, d.keepProps);
    EXPECT_EQ(std::memcmp(&Master()->ENDREL, &endBefore, sizeof endBefore), 0);
  }
}

}  // namespace
