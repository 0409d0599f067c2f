// The host-facing half, driven through the recording test host: entry and
// dispatch, the description, render passes, frames, fades and failures.
#include "BundleLoader.h"
#include "DataHandling.h"
#include "PluginState.h"
#include "RecordingHost.h"
#include "TempPreferences.h"
#include "TestImages.h"
#include "iMovieGlue.h"
#include "pixeleffect.h"

#include <MacMemory.h>
#include <PlatformTesting.h>
#include <Resources.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using namespace zv::test;

// A statically linked plug-in with fresh globals, its bundle's strings in the
// resource chain and a temporary Preferences folder.
class Glue : public testing::Test {
 protected:
  void SetUp() override {
    ResetPluginGlobals();
    host_ = std::make_unique<RecordingHost>(&iMovieMain);
    host_->SetClip(100, PaintPattern);
  }
  void TearDown() override {
    host_.reset();
    ResetPluginGlobals();
  }
  _EffectData *Pass() { return static_cast<_EffectData *>(host_->Params().clientData); }
  PLUGINDATAPTR Master() { return reinterpret_cast<PLUGINDATAPTR>(gPascalData); }

  TempPreferences prefs_;
  BundleLoader resources_{BuiltBundlePath(), false};
  std::unique_ptr<RecordingHost> host_;
};

TEST_F(Glue, RefusesMissingBlocksAndOldHostsBeforeAnySetUp) {
  EXPECT_EQ(iMovieMain(0, nullptr), kPluginBadParams);
  host_->Params().interfaceVersion = 3;
  EXPECT_EQ(host_->Send(kPlugGetInfo), kPluginAppIsTooOld);
  EXPECT_TRUE(host_->Calls().empty());
  EXPECT_EQ(gPascalData, nullptr);
  host_->Params().interfaceVersion = 4;
  EXPECT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  EXPECT_NE(gPascalData, nullptr);
}

TEST_F(Glue, UnhandledSelectorsSucceedAndDoNothing) {
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  host_->ClearCalls();
  for (HYPluginSelector s : {0, 3, 4, 7, 10, 12, 255}) EXPECT_EQ(host_->Send(s), kPluginOK) << int(s);
  EXPECT_TRUE(host_->Calls().empty());
  EXPECT_EQ(host_->Params().clientData, nullptr);
}

TEST_F(Glue, DescribesTheEffectFromTheBundleStrings) {
  _PluginParams &p = host_->Params();
  p.getInfo.pluginFlags = 0x4001;
  p.getInfo2.selectedFrames = 42;
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(p.getInfo.pluginType, kPluginFilterType);
  EXPECT_EQ(p.getInfo.pluginFlags, 0x4001u | 0x380u | 0x1000u);
  EXPECT_EQ(p.getInfo.framesToBeRendered, 42);
  EXPECT_EQ(p.getInfo.takeFromClipAfter, 42);
  EXPECT_EQ(p.getInfo.takeFromClipBefore, 0);
  EXPECT_EQ(p.getInfo2.baseMemoryNeeded, 50000);
  EXPECT_STREQ(p.getInfo3.buttonTitle, "Configure");
  EXPECT_STREQ(p.getInfo2.group, "Dravik Colour Effects");
  EXPECT_STREQ(p.getInfo2.filterSliders[1].label, "Green floor (set in Configure)");
  EXPECT_STREQ(p.getInfo2.filterSliders[2].minLabel, "0%");
  EXPECT_STREQ(p.getInfo2.filterSliders[2].maxLabel, "100%");
  EXPECT_EQ(p.getInfo2.filterSliders[0].defaultValue, 0.5f);
}

TEST_F(Glue, LongTextsAreCutToTheirBuffers) {
  // A resource file opened later comes first in the chain.
  const std::string path = prefs_.Folder() + "/long.rsrc";
  FSSpec theSpec;
  ASSERT_EQ(zv::FSSpecOfPath(path, &theSpec), fnfErr);
  FSpCreateResFile(&theSpec, 0, 0, smSystemScript);
  const short ref = FSpOpenResFile(&theSpec, fsRdWrPerm);
  ASSERT_NE(ref, -1);
  auto addList = [](short id, const std::string &text) {
    Handle h = NewHandleClear(2 + 1 + text.size());
    (*h)[1] = 1;  // one string
    (*h)[2] = static_cast<char>(text.size());
    std::memcpy(*h + 3, text.data(), text.size());
    Str255 none = {0};
    AddResource(h, ZV_FOURCC('S', 'T', 'R', '#'), id, none);
  };
  addList(130, std::string(200, 'B'));
  addList(17000, std::string(255, 'G'));
  _PluginParams &p = host_->Params();
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
  CloseResFile(ref);
  EXPECT_EQ(std::string(p.getInfo3.buttonTitle), std::string(31, 'B'));
  EXPECT_EQ(std::string(p.getInfo2.group), std::string(127, 'G'));
}

TEST_F(Glue, FadesAreClampedToTheClip) {
  struct Case {
    SInt32 in, out, frames, wantIn, wantOut;
  } cases[] = {{10, 10, 15, 7, 7}, {20, 0, 15, 15, 0}, {0, 30, 15, 0, 15}, {0, 0, 15, 0, 0}, {3, 4, 100, 3, 4}};
  for (const Case &c : cases) {
    host_->SetFades(c.in, c.out);
    host_->Params().frameCount = c.frames;
    host_->Params().clientData = nullptr;
    ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
    EXPECT_EQ(Pass()->fadeInFrames, c.wantIn) << c.in << "/" << c.out << " of " << c.frames;
    EXPECT_EQ(Pass()->fadeOutFrames, c.wantOut) << c.in << "/" << c.out << " of " << c.frames;
    EXPECT_EQ(Pass()->effectSourceCount, 1);
    EXPECT_FALSE(host_->FilterInfoOut());
    ASSERT_EQ(host_->Send(kPlugTerminate), kPluginOK);
    EXPECT_EQ(host_->Params().clientData, nullptr);
  }
  EXPECT_EQ(host_->LiveBlocks(), 1);  // the master record only
}

TEST_F(Glue, APassOwnsItsCopyOfTheConfiguration) {
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
}

TEST_F(Glue, OutOfMemoryAtTheStartOfAPassIsReported) {
  ASSERT_EQ(host_->Send(kPlugGetInfo), kPluginOK);
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

TEST_F(Glue, AFailedFilterInfoIsPassedOnWithNoFades) {
  host_->SetFades(5, 5);
  host_->FailCallback(Callback::GetFilterInfo, kPluginIOError);
  host_->Params().frameCount = 20;
  EXPECT_EQ(host_->Send(kPlugInitialize), kPluginIOError);
  EXPECT_EQ(Pass()->fadeInFrames, 0);
  EXPECT_EQ(Pass()->fadeOutFrames, 0);
  EXPECT_EQ(host_->Send(kPlugTerminate), kPluginOK);
}

std::vector<SInt16> BlitOpacities(RecordingHost &host) {
  std::vector<SInt16> out;
  for (const auto &c : host.CallsOf(Callback::Blit)) out.push_back(c.opacity);
  return out;
}

TEST_F(Glue, FadeOpacitiesFrameByFrame) {
  host_->SetFades(10, 0);
  ASSERT_EQ(host_->RenderPass(0, 100), kPluginOK);
  const auto in = BlitOpacities(*host_);
  ASSERT_EQ(in.size(), 10u);
  EXPECT_EQ(in[0], 255);
  EXPECT_EQ(in[5], 127);
  EXPECT_EQ(in[9], 25);

  host_->ClearCalls();
  host_->SetFades(0, 10);
  ASSERT_EQ(host_->RenderPass(0, 100), kPluginOK);
  const auto out = BlitOpacities(*host_);
  ASSERT_EQ(out.size(), 9u);  // frames 91..99
  EXPECT_EQ(out[0], 25);
  EXPECT_EQ(out[4], 127);
  EXPECT_EQ(host_->OutstandingFrames(), 0u);
}

TEST(FadeOpacity, OutsideTheClipNeverDividesByZeroAndStaysInAByte) {
  EXPECT_EQ(FadeOpacity(150, 100, 0, 0), -1);
  EXPECT_EQ(FadeOpacity(150, 100, 10, 0), -1);
  EXPECT_EQ(FadeOpacity(105, 100, 0, 10), 255);
  EXPECT_EQ(FadeOpacity(-3, 100, 10, 0), 255);
  EXPECT_EQ(FadeOpacity(4, 100, 5, 0), 50);  // double arithmetic, not 51
  EXPECT_EQ(FadeOpacity(50, 100, -4, -4), -1);
}

TEST_F(Glue, ProxyFramesOfFewLinesAskForLowQualityAndMixNoAudio) {
  struct Case {
    bool proxy;
    SInt16 lines;
    HYRefDVQuality want;
  } cases[] = {{true, 240, kDVLowQuality}, {true, 259, kDVLowQuality}, {true, 260, kDVHighQuality},
               {false, 240, kDVHighQuality}};
  for (const Case &c : cases) {
    host_->ClearCalls();
    host_->SetOutput(320, c.lines);
    host_->Params().proxyOnly = c.proxy;
    ASSERT_EQ(host_->RenderPass(0, 1), kPluginOK);
    const auto frames = host_->CallsOf(Callback::GetFrame);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].quality, c.want) << c.lines;
    EXPECT_EQ(frames[0].height, c.lines);
    EXPECT_EQ(host_->CallsOf(Callback::MixAudio).size(), c.proxy ? 0u : 1u);
  }
}

TEST_F(Glue, FramesBeforeTheClipAreSkipped) {
  host_->Params().frameCount = 5;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  host_->Params().startFrame = 0;
  EXPECT_EQ(host_->RenderFrame(-1), kPluginOK);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(PixelAt(host_->Output(), 0, 0), (Pixel{0, 0, 0, 0}));
  host_->Send(kPlugTerminate);
}

// Every pixel of the output against the effect on the pattern, with the clean
// frame blended over it at `opacity` (or none).
void ExpectRendered(GWorldPtr out, SInt32 frame, Rect frameRect, int opacity) {
  Rect b;
  GetPortBounds(out, &b);
  for (int y = 0; y < b.bottom; ++y)
    for (int x = 0; x < b.right; ++x) {
      const bool inFrame = y >= frameRect.top && y < frameRect.bottom && x >= frameRect.left && x < frameRect.right;
      Pixel want = {0, 0, 0, 0};
      if (inFrame) {
        const Pixel src = PatternPixel(frame, x - frameRect.left, y - frameRect.top);
        want = src;
        for (int i = 1; i < 4; ++i) {
          const int lifted = std::max<int>(src[i], 127);
          want[i] = opacity < 0 ? lifted : (src[i] * opacity + lifted * (255 - opacity) + 127) / 255;
        }
      }
      ASSERT_EQ(PixelAt(out, x, y), want) << "frame " << frame << " at " << x << "," << y;
    }
}

TEST_F(Glue, RendersExactlyIntoAFrameRectangleAwayFromTheOrigin) {
  const Rect frameRect{5, 7, 25, 37};
  host_->SetOutput(50, 30, frameRect);
  host_->SetFades(4, 0);
  host_->Params().frameCount = 10;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  host_->Params().startFrame = 20;
  ASSERT_EQ(host_->RenderFrame(6), kPluginOK);
  ExpectRendered(host_->Output(), 26, frameRect, -1);
  ASSERT_EQ(host_->RenderFrame(1), kPluginOK);
  ExpectRendered(host_->Output(), 21, frameRect, 191);
  host_->Send(kPlugTerminate);
  const auto frames = host_->CallsOf(Callback::GetFrame);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].frame, 26);
  EXPECT_EQ(frames[0].width, 30);
  EXPECT_EQ(frames[0].height, 20);
  EXPECT_EQ(gMostRecentStartFrame, 20);
  EXPECT_EQ(gMostRecentFrameCount, 10);
}

TEST_F(Glue, EveryFailingCallbackIsReportedAndEveryFrameGoesBack) {
  struct Case {
    Callback which;
    bool inFade;
    bool outputTouched;
  } cases[] = {{Callback::GetFrame, false, false},    {Callback::ReleaseFrame, false, true},
               {Callback::MixAudio, false, true},     {Callback::Blit, true, true},
               {Callback::ReleaseFrame, true, true}};
  for (const Case &c : cases) {
    host_->SetOutput(16, 8);
    host_->SetFades(c.inFade ? 50 : 0, 0);
    host_->Params().frameCount = 100;
    host_->Params().clientData = nullptr;
    ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
    host_->ClearCalls();
    host_->FailCallback(c.which, kPluginIOError);
    EXPECT_EQ(host_->RenderFrame(3), kPluginIOError) << int(c.which);
    EXPECT_EQ(host_->OutstandingFrames(), 0u);
    EXPECT_EQ(host_->CallsOf(Callback::ReleaseFrame).size(), 1u);
    if (c.which == Callback::Blit) EXPECT_TRUE(host_->CallsOf(Callback::MixAudio).empty());
    EXPECT_EQ(PixelAt(host_->Output(), 2, 2) != Pixel({0, 0, 0, 0}), c.outputTouched) << int(c.which);
    host_->Send(kPlugTerminate);
  }
}

TEST_F(Glue, FailedWorkImagesLeaveTheFrameUntouched) {
  host_->SetOutput(16, 8);
  host_->Params().frameCount = 100;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  ZVFailNewGWorldAfter(1);  // the host's delivery succeeds, the work image fails
  EXPECT_EQ(host_->RenderFrame(50), kPluginOutOfMemory);
  EXPECT_EQ(PixelAt(host_->Output(), 2, 2), (Pixel{0, 0, 0, 0}));
  host_->Send(kPlugTerminate);

  host_->SetFades(10, 0);
  host_->Params().clientData = nullptr;
  ASSERT_EQ(host_->Send(kPlugInitialize), kPluginOK);
  ZVFailNewGWorldAfter(1);  // the delivery, then the clean copy during the fade fails
  EXPECT_EQ(host_->RenderFrame(2), kPluginFailed);
  EXPECT_EQ(PixelAt(host_->Output(), 2, 2), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(host_->OutstandingFrames(), 0u);
  host_->Send(kPlugTerminate);
  ZVFailNewGWorldAfter(-1);
}

TEST_F(Glue, PlaceholderRendersTheThumbFrameInAPassOfItsOwn) {
  host_->SetOutput(20, 10);
  _PluginParams &p = host_->Params();
  p.startFrame = 30;
  p.frameCount = 50;
  p.getInfo.bestThumbOffset = 7;
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
  EXPECT_EQ(host_->LiveBlocks(), 1);
  EXPECT_EQ(host_->OutstandingFrames(), 0u);
}

TEST_F(Glue, DialogFramesAreFetchedCopiedAndHandedBack) {
  Image target(40, 20);
  _PluginParams &p = host_->Params();
  p.startFrame = 10;
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, -11, 1), -1);
  EXPECT_TRUE(host_->CallsOf(Callback::GetFrame).empty());
  EXPECT_EQ(GetFrameIntoGW(target.gw(), &p, 5, 1), kPluginOK);
  const auto got = host_->CallsOf(Callback::GetFrame);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].frame, 15);
  EXPECT_EQ(got[0].width, 40);
  EXPECT_EQ(target.At(3, 4), PatternPixel(15, 3, 4));
  EXPECT_EQ(host_->OutstandingFrames(), 0u);
}

// The built bundle, loaded and called exactly as a host does.
TEST(Bundle, LoadsAndRendersThroughItsEntryPoint) {
  TempPreferences prefs;
  BundleLoader bundle(BuiltBundlePath());
  RecordingHost host(bundle.Entry());
  host.SetClip(12, PaintPattern);
  host.SetOutput(24, 16);
  _PluginParams &p = host.Params();
  ASSERT_EQ(host.Send(kPlugGetInfo), kPluginOK);
  EXPECT_EQ(p.getInfo.pluginType, kPluginFilterType);
  EXPECT_STREQ(p.getInfo3.buttonTitle, "Configure");
  ASSERT_EQ(host.RenderPass(2, 6), kPluginOK);
  ExpectRendered(host.Output(), 7, Rect{0, 0, 16, 24}, -1);
  EXPECT_EQ(host.OutstandingFrames(), 0u);
  EXPECT_EQ(host.CallsOf(Callback::MixAudio).size(), 6u);
}

}  // namespace
