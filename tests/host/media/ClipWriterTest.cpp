#include <gtest/gtest.h>

#include <random>

#include "../HostTestUtil.h"
#include "media/ClipReader.h"
#include "media/ClipWriter.h"
#include "media/Containers.h"
#include "media/Pictures.h"
#include "media/FFmpeg.h"

namespace zv::media {
namespace {

using ScratchDir = host::test::Scratch;

// Random pixels with every alpha value, different in every frame.
ArgbImage NoiseFrame(int width, int height, unsigned seed) {
  ArgbImage image(width, height);
  std::mt19937 rng(seed);
  for (auto &b : image.pixels) b = static_cast<std::uint8_t>(rng());
  return image;
}

class Lossless : public ::testing::TestWithParam<std::pair<const char *, const char *>> {};

// What the lossless encoders write is read back byte for byte, alpha included.
TEST_P(Lossless, KeepsEveryArgbByte) {
  ScratchDir dir;
  const auto [codec, file] = GetParam();
  const std::string path = dir / file;
  constexpr int kW = 34, kH = 20, kN = 4;  // even, odd-free sizes are not needed by these
  {
    auto writer = OpenClipWriter({path, kW, kH, {30, 1}, codec, 0, 0});
    for (unsigned i = 0; i < kN; ++i) writer->WriteFrame(NoiseFrame(kW, kH, i).View());
    writer->Finish();
  }
  const bool sequence = IsPictureSequence(path);
  ClipReader reader(sequence ? SequenceFileName(path, 2) : path);
  ASSERT_EQ(reader.Info().frameCount, sequence ? 1 : kN);
  for (unsigned i = sequence ? 2 : 0; i < (sequence ? 3u : kN); ++i) {
    ArgbImage back(kW, kH);
    reader.ReadFrame(sequence ? 0 : i, back.View(), Quality::High);
    EXPECT_EQ(back.pixels, NoiseFrame(kW, kH, i).pixels) << codec << " frame " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Encoders, Lossless,
                         ::testing::Values(std::pair{"rawvideo", "raw.nut"}, std::pair{"ffv1", "ffv1.mkv"},
                                           std::pair{"png", "seq.png"}, std::pair{"qtrle", "rle.mov"},
                                           std::pair{"ffvhuff", "huff.mkv"}, std::pair{"ffv1", "ffv1.nut"}),
                         [](const auto &info) { return std::string(info.param.first) + "_" + std::to_string(info.index); });

TEST(ClipWriter, OddSizesGoToTheUsualEncoder) {
  ScratchDir dir;
  const std::string path = dir / "odd.mp4";
  auto writer = OpenClipWriter({path, 33, 17, {30, 1}, "", 0, 0});
  writer->WriteFrame(NoiseFrame(33, 17, 3).View());
  writer->Finish();
  EXPECT_EQ(std::pair(ClipReader(path).Info().width, ClipReader(path).Info().height), std::pair(33, 17));
}

}  // namespace
}  // namespace zv::media
