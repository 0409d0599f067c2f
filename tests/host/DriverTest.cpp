// The host's side of the interface, driven against the built bundle.
#include <gtest/gtest.h>

#include <TempPreferences.h>

#include <tuple>
#include <cstring>

#include "Failure.h"
#include "media/DemoClip.h"
#include "media/FFmpeg.h"
#include "plugin/PluginBundle.h"
#include "plugin/PluginDriver.h"
#include "plugin/StoredConfig.h"

namespace zv::host {
namespace {

// The demo, except that one frame cannot be read.
class BrokenClip : public media::Clip {
 public:
  const media::ClipInfo &Info() const override { return demo_.Info(); }
  void ReadFrame(std::int64_t index, const media::ArgbView &target, media::Quality q) override {
    if (index == 3) throw media::MediaError("frame 3 does not decode");
    demo_.ReadFrame(index, target, q);
  }
  void MixAudio(std::int64_t first, media::AudioBlock &out, float gain) override { demo_.MixAudio(first, out, gain); }

 private:
  media::DemoClip demo_;
};

TEST(Driver, AFrameThatCannotBeReadFailsThePassNamingTheClipAndAStoppedPassEnds) {
  test::TempPreferences prefs;
  PluginBundle bundle(ZORVANE_BUNDLE_PATH);
  BrokenClip clip;
  HostSession session(&clip, "broken.mp4");
  PluginDriver driver(bundle.Entry(), session);
  int frames = 0;
  try {
    driver.RenderPass({0, 10, 72, 48, false}, [&](auto, auto &, auto) { return ++frames > 0; });
    FAIL() << "the pass succeeded";
  } catch (const Failure &f) {
    EXPECT_STREQ(f.what(), "broken.mp4: frame 3 does not decode");
  }
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(session.OutstandingFrames(), 0u);

  // The placeholder render hides the frame's result; the host does not.
  HostSession again(&clip, "broken.mp4");
  PluginDriver placeholder(bundle.Entry(), again);
  media::ArgbImage picture(72, 48);
  EXPECT_THROW(placeholder.Placeholder(150, 3, picture.View()), Failure);
  EXPECT_NO_THROW(placeholder.Placeholder(150, 4, picture.View()));

  // A pass the host stops still ends: a second one works.
  media::DemoClip demo;
  HostSession session2(&demo, "demo");
  PluginDriver driver2(bundle.Entry(), session2);
  EXPECT_THROW(driver2.RenderPass({0, 10, 72, 48, false}, [](std::int64_t r, auto &, auto) { return r < 2; }), Failure);
  frames = 0;
  driver2.RenderPass({0, 4, 72, 48, false}, [&](auto, auto &, auto) { return ++frames > 0; });
  EXPECT_EQ(frames, 4);
}

// The stored record: the little-endian form is read field by field; the other
// byte order, other versions and short records are refused with a reason.
TEST(StoredConfig, DecodesTheRecordAndRefusesOthers) {
  std::vector<std::uint8_t> rec(kStoredConfigSize, 0);
  auto put16 = [&](std::size_t at, unsigned v) { rec[at] = v & 0xFF, rec[at + 1] = v >> 8; };
  auto put32 = [&](std::size_t at, std::uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
  put32(0, 396);
  put32(4, 3);
  const double half = 0.25;
  std::memcpy(&rec[16], &half, 8);  // STARTREL.RIGHT
  put16(72 + 6, 65535);             // COLORS[2].RED
  put16(108, 80);                   // SLIDERS[1]
  put16(120, 65535);                // FRAMESTARTCOLOR.RED
  put16(132, 3);                    // MEDIATYPE
  rec[134] = 7;                     // KEEPPROPS: any non-zero byte is true
  put16(136, 2);                    // METHOD
  DecodedConfig d = DecodeConfigRecord(rec);
  ASSERT_TRUE(d.config) << d.problem;
  EXPECT_EQ(std::tuple(d.config->startRel[1], d.config->colors[1].red, d.config->sliders[0]), std::tuple(0.25, 65535, 80));
  EXPECT_EQ(std::tuple(d.config->frameStartColor.red, d.config->keepProps, d.config->method), std::tuple(65535, true, 2));

  put32(4, 2);
  EXPECT_EQ(DecodeConfigRecord(rec).problem, "version 2, expected 3");
  put32(4, 3);
  std::vector<std::uint8_t> big(rec.begin(), rec.begin() + 394);
  big[0] = 0, big[1] = 0, big[2] = 0x01, big[3] = 0x8A;
  EXPECT_EQ(DecodeConfigRecord(big).problem, "written by a big-endian (PowerPC) build");
  EXPECT_FALSE(DecodeConfigRecord(std::span(rec).first(200)).config);
  EXPECT_FALSE(DecodeConfigRecord(std::span(rec).first(3)).config);
}

}  // namespace
}  // namespace zv::host
