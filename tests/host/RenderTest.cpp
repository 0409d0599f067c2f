// The zorvane program end to end, through the built bundle: clips made by the
// ffmpeg program in, outputs decoded again and checked pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "HostTestUtil.h"
#include "media/ClipReader.h"

namespace zv::host {
namespace {

using media::ArgbImage;
using media::ClipReader;
using media::Quality;
using namespace test;

constexpr int kW = 64, kH = 48, kN = 30;

// A clip with sound and pixels of every alpha, made by another program.
std::string MakeInput(const Scratch &dir) {
  const std::string path = dir / "in.mkv";
  EXPECT_TRUE(Ffmpeg("-f lavfi -i \"testsrc2=s=64x48:r=30:d=1,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':"
                     "a='X*4+Y'\" -f lavfi -i sine=f=440:r=48000:d=1 -c:v ffv1 -c:a pcm_s16le " + path));
  return path;
}

ArgbImage Frame(ClipReader &reader, std::int64_t i) {
  ArgbImage image(reader.Info().width, reader.Info().height);
  reader.ReadFrame(i, image.View(), Quality::High);
  return image;
}

// The effect with the default configuration (whole frame, every channel raised
// to at least 127), then the untouched frame blended over it during fades.
ArgbImage Expected(const ArgbImage &src, int r, int n, int fadeIn, int fadeOut) {
  ArgbImage out = src;
  for (std::size_t i = 0; i < out.pixels.size(); i += 4)
    for (int c = 1; c < 4; ++c) out.pixels[i + c] = std::max<std::uint8_t>(out.pixels[i + c], 127);
  if ((fadeIn <= 0 && fadeOut == 0) || (fadeIn <= r && r <= n - fadeOut)) return out;
  const double percent = r < fadeIn ? static_cast<double>(r) / fadeIn : static_cast<double>(n - r) / fadeOut;
  const unsigned opacity = static_cast<unsigned>(255.0 * (1.0 - percent));
  for (std::size_t i = 0; i < out.pixels.size(); i += 4)
    for (int c = 1; c < 4; ++c)
      out.pixels[i + c] = static_cast<std::uint8_t>((src.pixels[i + c] * opacity + out.pixels[i + c] * (255 - opacity) + 127) / 255);
  return out;
}

TEST(Render, LosslessOutputHoldsTheEffectFadesAndSound) {
  Scratch dir;
  const std::string input = MakeInput(dir);
  const test::Run run = Zorvane(dir, "render in.mkv -o out.mkv --vcodec ffv1 --fade-in 6 --fade-out 4 --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");

  ClipReader in(input), out(dir / "out.mkv");
  ASSERT_EQ(std::tuple(out.Info().frameCount, out.Info().width, out.Info().height), std::tuple(kN, kW, kH));
  ASSERT_NE(Frame(in, 0).pixels[0], Frame(in, 0).pixels[4 * 10]);  // the input's alpha varies
  for (int r = 0; r < kN; ++r)
    ASSERT_EQ(Frame(out, r).pixels, Expected(Frame(in, r), r, kN, 6, 4).pixels) << "frame " << r;

  // The sound at unity volume, as long as the picture.
  ASSERT_EQ(out.Info().sampleRate, 48000);
  media::AudioBlock a(1, 48000), b(1, 48000);
  in.MixAudio(0, a, 1.0f);
  out.MixAudio(0, b, 1.0f);
  EXPECT_EQ(a.data, b.data);
  media::AudioBlock after(1, 100);
  out.MixAudio(48000, after, 1.0f);
  EXPECT_TRUE(std::all_of(after.data.begin(), after.data.end(), [](float v) { return v == 0.0f; }));
}

TEST(Render, RangeSizeProxyAndThumbnail) {
  Scratch dir;
  MakeInput(dir);
  test::Run run = Zorvane(dir, "render in.mkv -o part.nut --vcodec rawvideo --start 10 --frames 5 --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  ClipReader in(dir / "in.mkv"), part(dir / "part.nut");
  ASSERT_EQ(part.Info().frameCount, 5);
  EXPECT_EQ(Frame(part, 0).pixels, Expected(Frame(in, 10), 0, 5, 0, 0).pixels);

  run = Zorvane(dir, "render in.mkv -o small.mkv --vcodec ffv1 --size 32x24 --proxy --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  const media::ClipInfo small = ClipReader(dir / "small.mkv").Info();
  EXPECT_EQ(std::tuple(small.width, small.height, small.frameCount), std::tuple(32, 24, kN));
  EXPECT_EQ(small.sampleRate, 0);  // a proxy render mixes no sound

  run = Zorvane(dir, "thumbnail in.mkv -o thumb.png --at 12");
  ASSERT_EQ(run.status, 0) << run.err;
  ClipReader thumb(dir / "thumb.png");
  EXPECT_EQ(Frame(thumb, 0).pixels, Expected(Frame(in, 12), 0, 1, 0, 0).pixels);
}

TEST(Render, DemoWithSoundAndItsBeforeAndAfterPicture) {
  Scratch dir;
  const test::Run run = Zorvane(dir, "render --frames 20 --size 180x120");
  ASSERT_EQ(run.status, 0) << run.err;
  const media::ClipInfo demo = ClipReader(dir / "demo.mp4").Info(), picture = ClipReader(dir / "demo-before-after.png").Info();
  EXPECT_EQ(std::tuple(demo.frameCount, demo.sampleRate, picture.width, picture.height), std::tuple(20, 48000, 360, 120));
}

TEST(Info, DescribesThePlugInAndItsStoredConfiguration) {
  Scratch dir;
  const test::Run run = Zorvane(dir, "info");
  ASSERT_EQ(run.status, 0) << run.err;
  // The bundle's description, and the defaults it stored on first use.
  for (const char *expected : {"filter type       105 (filter)", "lower limits      red 50%, green 50%, blue 50%",
                               "media type        1 (NTSC)", "keep proportions  no"})
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "prefs/tolvi-Prefs"));
}

}  // namespace
}  // namespace zv::host
