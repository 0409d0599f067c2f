// The host-facing half, driven through the recording test host: entry and
// dispatch, the description, render passes, frames, fades and failures.
#include "PluginState.h"
#include "pascalFX.h"
#include "pixeleffect.h"

#include <PlatformTesting.h>
#include <Resources.h>

#include <climits>
#include <tuple>
#include <optional>
#include <string>

namespace {

using namespace zv::test;
using Glue = PluginTest;

TEST_F(Glue, RefusesMissingBlocksOldHostsAndMissingCallbacksBeforeAnySetUp) {
  EXPECT_EQ(iMovieMain(0, nullptr), kPluginBadParams);
  _PluginParams &p = host_->Params();
  p.interfaceVersion = 3;
  EXPECT_EQ(host_->Send(kPlugGetInfo), kPluginAppIsTooOld);
  p.interfaceVersion = 4;
  const HYProcs *procs = p.procs;
  p.procs = nullptr;
  EXPECT_EQ(host_->Send(kPlugInitialize), kPluginBadParams);
  EXPECT_EQ(gPascalData, nullptr);
  p.procs = procs;
  EXPECT_TRUE(host_->Calls().empty());
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  EXPECT_NE(gPascalData, nullptr);

  host_->ClearCalls();
  for (HYPluginSelector s : {0, 3, 4, 7, 10, 12, 255}) EXPECT_EQ(host_->Send(s), kPluginOK) << int(s);
  EXPECT_TRUE(host_->Calls().empty());
  EXPECT_EQ(p.clientData, nullptr);
}

// The description, its texts distinct in a resource file opened later (it
// comes first in the chain), so a wrong item number or a missed cut shows.
TEST_F(Glue, DescribesTheEffectEachTextFromItsOwnItemCutToItsBuffer) {
  FSSpec theSpec;
  ASSERT_EQ(zv::FSSpecOfPath(prefs_.Folder() + "/texts.rsrc", &theSpec), fnfErr);
  FSpCreateResFile(&theSpec, 0, 0, smSystemScript);
  const short ref = FSpOpenResFile(&theSpec, fsRdWrPerm);
  ASSERT_NE(ref, -1);
  auto addList = [](short id, std::vector<std::string> texts) {
    std::string bytes{'\0', static_cast<char>(texts.size())};
    for (const std::string &t : texts) bytes += static_cast<char>(t.size()) + t;
    Handle h = NewHandleClear(static_cast<Size>(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    AddResource(h, ZV_FOURCC('S', 'T', 'R', '#'), id, reinterpret_cast<ConstStr255Param>(""));
  };
  addList(128, {"L1", "L2", "L3"});
  addList(129, {"m1", "M1", "m2", "M2", "m3", "M3"});
  addList(130, {std::string(200, 'B')});
  addList(17000, {std::string(255, 'G')});
  _PluginParams &p = host_->Params();
  p.getInfo.pluginFlags = 0x4001;
  p.getInfo2.selectedFrames = 42;
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  CloseResFile(ref);
  EXPECT_EQ(p.getInfo.pluginType, kPluginFilterType);
  EXPECT_EQ(p.getInfo.pluginFlags, 0x4001u | 0x380u | 0x1000u);
  EXPECT_EQ(std::tuple(p.getInfo.framesToBeRendered, p.getInfo.takeFromClipAfter), std::tuple(42, 42));
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    const auto &slider = p.getInfo2.filterSliders[i];
    EXPECT_EQ(std::string(slider.label) + slider.minLabel + slider.maxLabel, "L" + n + "m" + n + "M" + n);
  }
  EXPECT_EQ(std::string(p.getInfo3.buttonTitle), std::string(31, 'B'));
  EXPECT_EQ(std::string(p.getInfo2.group), std::string(127, 'G'));
}

TEST_F(Glue, FadesAreClampedToTheClipAndNeverKeptFromALastPass) {
  // Outside the clip no division by zero, and within a byte. Frame, frames,
  // fade in, fade out, opacity; 4 of 100 is 50 in double arithmetic, not 51.
  const int rows[][5] = {{150, 100, 0, 0, -1}, {150, 100, 10, 0, -1}, {105, 100, 0, 10, 255},
                         {-3, 100, 10, 0, 255}, {4, 100, 5, 0, 50},    {50, 100, -4, -4, -1}};
  for (const auto &r : rows) EXPECT_EQ(FadeOpacity(r[0], r[1], r[2], r[3]), r[4]) << "row " << &r - rows;
  struct Case {
    SInt32 in, out, frames, wantIn, wantOut;
  } cases[] = {{10, 10, 15, 7, 7}, {20, 0, 15, 15, 0}, {0, 30, 15, 0, 15}, {0, 0, 15, 0, 0}, {3, 4, 100, 3, 4}};
  for (const Case &c : cases) {
    host_->SetFades(c.in, c.out);
    host_->Params().frameCount = c.frames;
    host_->Params().clientData = nullptr;
    ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
    EXPECT_EQ(std::tuple(Pass()->fadeInFrames, Pass()->fadeOutFrames), std::tuple(c.wantIn, c.wantOut))
        << c.in << "/" << c.out << " of " << c.frames;
    EXPECT_FALSE(host_->FilterInfoOut());
    ASSERT_EQ(host_->Send(kPlugTerminate), kPluginOK);
    EXPECT_EQ(host_->Params().clientData, nullptr);
  }
  // A pass state the host hands in again, this time with no filter info.
  host_->SetFades(8, 5);
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  host_->FailCallback(Callback::GetFilterInfo, kPluginIOError);
  EXPECT_EQ(host_->Send(kPlugInitialize), kPluginIOError);
  EXPECT_EQ(std::tuple(Pass()->fadeInFrames, Pass()->fadeOutFrames), std::tuple(0, 0));
  ASSERT_EQ(host_->Send(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host_->LiveBlocks(), 1);  // the master record only
}

TEST_F(Glue, APassOwnsItsCopyOfTheConfigurationAndReportsRunningOutOfMemory) {
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  host_->Params().frameCount = 10;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  Master()->SLIDERS[0] = 99;  // a dialog confirmed during the pass
  EXPECT_EQ(reinterpret_cast<PLUGINDATAPTR>(Pass()->pascalData)->SLIDERS[0], 50);
  // Beginning again on the same state gives back the old copy first.
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  EXPECT_EQ(reinterpret_cast<PLUGINDATAPTR>(Pass()->pascalData)->SLIDERS[0], 99);
  ASSERT_EQ(host_->Send(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host_->LiveBlocks(), 1);

  // Out of memory at the start of a pass.
  host_->FailNewPtrClearAt(1);  // the pass state
  EXPECT_EQ(host_->Send(kPlugInitialize), kPluginOutOfMemory);
  EXPECT_EQ(host_->Params().clientData, nullptr);

  host_->FailNewPtrClearAt(2);  // the configuration copy
  EXPECT_EQ(host_->Send(kPlugInitialize), kPluginOutOfMemory);
  host_->ClearCalls();
  // A host that goes on anyway gets a refusal, not a stopped process.
  EXPECT_EQ(host_->RenderFrame(0), kPluginBadParams);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(host_->Send(kPlugTerminate), kPluginOK);
  EXPECT_EQ(host_->LiveBlocks(), 1);
}


TEST_F(Glue, ProxyFramesOfFewLinesAskForLowQualityAndMixNoAudio) {
  using T = std::tuple<bool, SInt16, HYRefDVQuality>;
  for (const auto &[proxy, lines, want] :
       {T{true, 240, kDVLowQuality}, T{true, 259, kDVLowQuality}, T{true, 260, kDVHighQuality}, T{false, 240, kDVHighQuality}}) {
    host_->ClearCalls();
    host_->SetOutput(320, lines);
    host_->Params().proxyOnly = proxy;
    ASSERT_EQ(host_->RenderPass(0, 1), kPluginOK);
    const auto frames = host_->CallsOf(Callback::GetFrame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::tuple(frames[0].quality, frames[0].height), (std::tuple<SInt16, SInt16>(want, lines)));
    EXPECT_EQ(host_->CallsOf(Callback::MixAudio).size(), proxy ? 0u : 1u);
  }
}

// Every pixel of the output against the effect on the pattern, with the clean
// frame blended over it at `opacity` (or none).
void ExpectRendered(GWorldPtr out, SInt32 frame, Rect frameRect, int opacity) {
  Rect b;
  GetPortBounds(out, &b);
  for (int y = 0; y < b.bottom; ++y)
    for (int x = 0; x < b.right; ++x) {
      Pixel want = {0, 0, 0, 0};
      if (y >= frameRect.top && y < frameRect.bottom && x >= frameRect.left && x < frameRect.right) {
        want = PatternPixel(frame, x - frameRect.left, y - frameRect.top);
        for (int i = 1; i < 4; ++i) {
          const int lifted = std::max<int>(want[i], 127);
          want[i] = opacity < 0 ? lifted : (want[i] * opacity + lifted * (255 - opacity) + 127) / 255;
        }
      }
      ASSERT_EQ(PixelAt(out, x, y), want) << "frame " << frame << " at " << x << "," << y;
    }
}

TEST_F(Glue, RendersExactlyIntoAFrameRectangleAwayFromTheOriginAndOnlyFramesOfTheClip) {
  const Rect frameRect{5, 7, 25, 37};
  host_->SetOutput(50, 30, frameRect);
  host_->SetFades(4, 0);
  host_->Params().frameCount = 10;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  // Frames before the clip or past 32 bits are not fetched, nor drawn.
  EXPECT_EQ(host_->RenderFrame(-1), kPluginOK);
  host_->Params().startFrame = INT_MAX;
  EXPECT_EQ(host_->RenderFrame(1), kPluginBadParams);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(PixelAt(host_->Output(), 0, 0), (Pixel{0, 0, 0, 0}));
  host_->Params().startFrame = 20;
  ASSERT_EQ(host_->RenderFrame(6), kPluginOK);
  ExpectRendered(host_->Output(), 26, frameRect, -1);
  ASSERT_EQ(host_->RenderFrame(1), kPluginOK);
  ExpectRendered(host_->Output(), 21, frameRect, 191);
  // The pass keeps its images: a frame of another size, and a pass begun
  // again on the same state, get images of their own.
  for (const Rect r : {Rect{0, 0, 13, 41}, Rect{2, 1, 8, 10}}) {
    if (r.top) { ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK); }
    host_->SetOutput(50, 30, r);
    ASSERT_EQ(host_->RenderFrame(1), kPluginOK);
    ExpectRendered(host_->Output(), 21, r, 191);
  }
  host_->Send(kPlugTerminate);
  const auto frames = host_->CallsOf(Callback::GetFrame);
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(std::tuple(frames[0].frame, frames[0].width, frames[0].height), std::tuple(26, 30, 20));
  EXPECT_EQ(std::tuple(gMostRecentStartFrame, gMostRecentFrameCount), std::tuple(20, 10));
}

// A failing callback or image is reported and the frame goes back to the host;
// the output is left untouched unless the effect was already in it. The host's
// delivery is a frame's first image; during a fade the clean copy comes second
// and the work image third.
TEST_F(Glue, FailuresAreReportedAndEveryFrameGoesBack) {
  // The failing callback, images made before one fails, in a fade, the result, whether the output was drawn on.
  const std::tuple<std::optional<Callback>, int, bool, HYPluginResult, bool> cases[] = {
      {Callback::GetFrame, -1, false, kPluginIOError, false}, {Callback::ReleaseFrame, -1, false, kPluginIOError, true},
      {Callback::MixAudio, -1, false, kPluginIOError, true}, {Callback::Blit, -1, true, kPluginIOError, true},
      {Callback::ReleaseFrame, -1, true, kPluginIOError, true}, {{}, 1, false, kPluginOutOfMemory, false},
      {{}, 1, true, kPluginFailed, false}, {{}, 2, true, kPluginOutOfMemory, false}};
  for (const auto &[which, imagesMade, inFade, want, outputTouched] : cases) {
    SCOPED_TRACE(testing::Message() << (which ? int(*which) : -1) << " " << imagesMade << " " << inFade);
    host_->SetOutput(16, 8);
    host_->SetFades(inFade ? 50 : 0, 0);
    host_->Params().frameCount = 100;
    host_->Params().clientData = nullptr;
    ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
    host_->ClearCalls();
    if (which) host_->FailCallback(*which, kPluginIOError);
    ZVFailNewGWorldAfter(imagesMade);
    EXPECT_EQ(host_->RenderFrame(3), want);
    ZVFailNewGWorldAfter(-1);
    EXPECT_EQ(host_->OutstandingFrames(), 0u);
    EXPECT_EQ(host_->CallsOf(Callback::ReleaseFrame).size(), 1u);
    if (!which || which == Callback::Blit) { EXPECT_TRUE(host_->CallsOf(Callback::MixAudio).empty()); }
    if (!which) { EXPECT_TRUE(host_->CallsOf(Callback::Blit).empty()); }
    EXPECT_EQ(PixelAt(host_->Output(), 2, 2) != Pixel({0, 0, 0, 0}), outputTouched);
    host_->Send(kPlugTerminate);
  }
}

// Whatever the plug-in draws with, the host finds its current port, device and
// the lock state of its frame as they were.
TEST_F(Glue, PortDeviceAndLockStateComeBackAsTheyWere) {
  Image current(4, 4), other(64, 48);  // the output's size; the frame is the effect's target, then its source
  PLUGINDATAREC config = DefaultConfig();
  const std::function<void()> calls[] = {
      [&] { host_->RenderPass(0, 3); },
      [&] { host_->Send(kPlugFilePlaceHolder); },
      [&] { DoEffect(reinterpret_cast<Ptr>(&config), &host_->Params(), other.gw(), host_->Output(), 0, 0, 0, 1); },
      [&] { ThePixelEffect(host_->Output(), other.gw(), Rect{0, 0, 48, 64}, true, &config, 0, 1); },
  };
  host_->SetFades(2, 0);
  for (bool locked : {false, true})
    for (size_t i = 0; i < std::size(calls); ++i) {
      PixMapHandle frame = GetGWorldPixMap(host_->Output());
      locked ? (void)LockPixels(frame) : UnlockPixels(frame);
      SetGWorld(current.gw(), nullptr);
      CGrafPtr portBefore, port;
      GDHandle deviceBefore, device;
      GetGWorld(&portBefore, &deviceBefore);
      calls[i]();
      GetGWorld(&port, &device);
      EXPECT_EQ(std::tuple(port, device), std::tuple(portBefore, deviceBefore)) << i;
      EXPECT_EQ((GetPixelsState(frame) & pixelsLocked) != 0, locked) << i;
    }
}

TEST_F(Glue, PlaceholderRendersTheThumbFrameInAPassOfItsOwn) {
  host_->SetOutput(20, 10);
  _PluginParams &p = host_->Params();
  std::tie(p.startFrame, p.frameCount, p.getInfo.bestThumbOffset) = std::tuple(30, 50, 7);
  ASSERT_EQ(host_->Send(kPlugFilePlaceHolder), kPluginOK);
  EXPECT_EQ(p.clientData, nullptr);
  ExpectRendered(host_->Output(), 37, Rect{0, 0, 10, 20}, -1);

  // With a pass of the host's running, that pass is left alone.
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  void *running = p.clientData;
  ASSERT_EQ(host_->Send(kPlugFilePlaceHolder), kPluginOK);
  EXPECT_EQ(p.clientData, running);
  EXPECT_EQ(host_->RenderFrame(1), kPluginOK);
  host_->Send(kPlugTerminate);

  // A placeholder pass that fails to begin renders nothing and leaves nothing.
  host_->ClearCalls();
  host_->FailCallback(Callback::GetFilterInfo, kPluginIOError);
  EXPECT_EQ(host_->Send(kPlugFilePlaceHolder), kPluginIOError);
  host_->FailNewPtrClearAt(2);  // the configuration copy, after the pass state
  EXPECT_EQ(host_->Send(kPlugFilePlaceHolder), kPluginOutOfMemory);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(p.clientData, nullptr);
  EXPECT_EQ(host_->LiveBlocks(), 1);
}

TEST_F(Glue, DialogFramesAreFetchedCopiedAndHandedBack) {
  Image target(40, 20);
  _PluginParams &p = host_->Params();
  p.startFrame = 10;
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, -11, 1), -1);
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, INT_MAX, 1), -1);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, 5, 1), kPluginOK);
  EXPECT_EQ(target.At(3, 4), PatternPixel(15, 3, 4));
  // A failed fetch is passed on and leaves the target as it was.
  host_->FailCallback(Callback::GetFrame, kPluginIOError);
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, 6, 1), kPluginIOError);
  EXPECT_EQ(target.At(3, 4), PatternPixel(15, 3, 4));
  const auto got = host_->CallsOf(Callback::GetFrame);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(std::tuple(got[0].frame, got[0].width, got[0].quality), std::tuple(15, 40, kDVHighQuality));
  EXPECT_EQ(host_->CallsOf(Callback::ReleaseFrame).size(), 1u);
}

}  // namespace
