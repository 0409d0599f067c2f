// The zorvane program end to end, through the built bundle: clips made by the
// ffmpeg program in, outputs decoded again and checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstdint>
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

// A clip of one colour (32, 64, 200) and pixels of every alpha, made by
// another program; the default configuration lifts it to (127, 127, 200).
std::string MakeInput(const Scratch &dir) {
  const std::string path = dir / "in.mkv";
  EXPECT_TRUE(Ffmpeg("-f lavfi -i \"testsrc2=s=64x48:r=30:d=1,format=rgba,geq=r=32:g=64:b=200:a='X*4+Y'\" -c:v ffv1 " +
                     path));
  return path;
}

ArgbImage Frame(ClipReader &reader, std::int64_t i) {
  ArgbImage image(reader.Info().width, reader.Info().height);
  reader.ReadFrame(i, image.View(), Quality::High);
  return image;
}

// The input's alpha with the given red and green in every pixel.
ArgbImage Coloured(const ArgbImage &in, std::uint8_t red, std::uint8_t green) {
  ArgbImage out = in;
  for (std::size_t i = 0; i < out.pixels.size(); i += 4)
    std::tie(out.pixels[i + 1], out.pixels[i + 2], out.pixels[i + 3]) = std::tuple(red, green, 200);
  return out;
}

// Fades of 6 and 4 over 30 frames, worked out by hand: opacity
// trunc(255 x (1 - r/6)) going in, trunc(255 x (1 - (30 - r)/4)) going out,
// then each channel (input x opacity + effect x (255 - opacity)) / 255, rounded.
constexpr std::tuple<int, int, std::uint8_t, std::uint8_t> kFaded[] = {
    {0, 255, 32, 64},  {1, 212, 48, 75},  {2, 170, 64, 85},  {3, 127, 80, 96},  {4, 85, 95, 106},
    {5, 42, 111, 117}, {27, 63, 104, 111}, {28, 127, 80, 96}, {29, 191, 56, 80}};

// The sound is pinned by tests/ref (ref.plain, ref.fades).
TEST(Render, LosslessOutputHoldsTheEffectAndItsFades) {
  Scratch dir;
  const std::string input = MakeInput(dir);
  const test::Run run = Zorvane(dir, "render in.mkv -o out.mkv --vcodec ffv1 --fade-in 6 --fade-out 4 --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");

  ClipReader in(input), out(dir / "out.mkv");
  ASSERT_EQ(std::tuple(out.Info().frameCount, out.Info().width, out.Info().height), std::tuple(kN, kW, kH));
  ASSERT_NE(Frame(in, 0).pixels[0], Frame(in, 0).pixels[4 * 10]);  // the input's alpha varies
  for (int r = 0; r < kN; ++r) {
    std::uint8_t red = 127, green = 127;
    for (const auto &[frame, opacity, r0, g0] : kFaded)
      if (frame == r) std::tie(red, green) = std::tuple(r0, g0);
    ASSERT_EQ(Frame(out, r).pixels, Coloured(Frame(in, r), red, green).pixels) << "frame " << r;
  }
}

// Ranges, sizes, proxies and thumbnails: tests/ref (ref.proxy, ref.size, ref.thumbnail).

// A cover picture is no frame of the clip, even one larger than any frame may be.
TEST(Render, AClipCarryingACoverPictureRendersItsVideo) {
  Scratch dir;
  ASSERT_TRUE(Ffmpeg("-f lavfi -i color=c=red:s=16400x4 -frames:v 1 " + (dir / "cover.png")));
  ASSERT_TRUE(Ffmpeg("-i " + (dir / "cover.png") + " -f lavfi -i testsrc2=s=64x48:r=30:d=1 -map 0 -map 1 -c:v:0 png "
                     "-disposition:v:0 attached_pic -c:v:1 libx264 " + (dir / "covered.mp4")));
  const test::Run run = Zorvane(dir, "render covered.mp4 -o out.mkv --vcodec ffv1 --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  const media::ClipInfo out = ClipReader(dir / "out.mkv").Info();
  EXPECT_EQ(std::tuple(out.width, out.height, out.frameCount), std::tuple(kW, kH, kN));
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
