#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "../HostTestUtil.h"
#include "media/ClipReader.h"
#include "media/FFmpeg.h"

namespace zv::media {
namespace {

using ScratchDir = host::test::Scratch;
using host::test::Ffmpeg;

// 64x48 at 30 fps: the left half moves, the right half is flat at luma
// 4 * n + 20 in frame n, so a frame's index can be read off its pixels.
std::string NumberedSource(int frames) {
  return "-f lavfi -i \"color=c=black:s=64x48:r=30,format=yuv420p,geq=lum='if(lt(X,32),128+60*sin(X/3+N/2)*"
         "cos(Y/4+N/3),4*N+20)':cb=128:cr=128,trim=end_frame=" +
         std::to_string(frames) + "\"";
}

constexpr int kFrames = 45;

// Red of a pixel in the flat right half, where frame n has limited-range luma 4n + 20.
int FlatRed(const ArgbImage &image) { return image.pixels[(24 * image.width + 48) * 4 + 1]; }
int ExpectedRed(int n) { return static_cast<int>(std::lround((4 * n + 20 - 16) * 255.0 / 219.0)); }

struct Case { const char *name, *file, *encode; };

class RandomAccess : public ::testing::TestWithParam<Case> {};

// Each frame, however it is reached, is the frame of that index (frame 0 the
// first, whatever time the file starts at): read straight through, then in a
// shuffled order with jumps back and far ahead; one either side is refused.
TEST_P(RandomAccess, GivesTheFrameSequentialReadingGives) {
  ScratchDir dir;
  const std::string path = dir / GetParam().file;
  ASSERT_TRUE(Ffmpeg(NumberedSource(kFrames) + " " + GetParam().encode + " " + path));

  ClipReader sequential(path);
  ASSERT_EQ(sequential.Info().frameCount, kFrames);
  EXPECT_EQ(std::pair(sequential.Info().width, sequential.Info().height), std::pair(64, 48));
  EXPECT_TRUE(sequential.Damage().empty()) << sequential.Damage();
  std::vector<ArgbImage> frames;
  std::vector<int> order;
  for (int n = 0; n < kFrames; ++n) {
    sequential.ReadFrame(n, frames.emplace_back(64, 48).View(), Quality::High);
    EXPECT_NEAR(FlatRed(frames[n]), ExpectedRed(n), 4) << "frame " << n;
    order.push_back(n);
  }
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  order.insert(order.end(), {kFrames - 1, 0, kFrames - 1, 1, 30, 2});
  ClipReader jumping(path);
  ArgbImage image(64, 48);
  for (int n : order) {
    jumping.ReadFrame(n, image.View(), Quality::High);
    ASSERT_EQ(image.pixels, frames[n].pixels) << "frame " << n;
  }
  EXPECT_GT(jumping.GetStats().seeks, 0);
  EXPECT_THROW(jumping.ReadFrame(-1, image.View(), Quality::High), MediaError);
  EXPECT_THROW(jumping.ReadFrame(kFrames, image.View(), Quality::High), MediaError);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, RandomAccess,
    ::testing::Values(Case{"H264", "h264.mp4", "-c:v libx264 -g 12 -bf 2"},
                      Case{"Mpeg4AviWithBFrames", "mpeg4.avi", "-c:v mpeg4 -g 12 -bf 2 -q:v 2"},
                      Case{"Ffv1", "ffv1.mkv", "-c:v ffv1 -g 10"},
                      Case{"Vp9", "vp9.webm", "-c:v libvpx-vp9 -g 12 -deadline realtime -b:v 1M"},
                      Case{"H264Matroska", "h264.mkv", "-c:v libx264 -g 15 -bf 3"},
                      Case{"H264MatroskaStartingLate", "late.mkv", "-c:v libx264 -g 4 -bf 2 -output_ts_offset 5"},
                      Case{"H264TransportStreamStartingLate", "late.ts", "-c:v libx264 -g 4 -bf 2 -output_ts_offset 5"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClipReader, ScalesOnRequestAndKeepsTheCacheAcrossSizes) {
  ScratchDir dir;
  const std::string path = dir / "c.mkv";
  ASSERT_TRUE(Ffmpeg(NumberedSource(10) + " -c:v ffv1 " + path));
  ClipReader reader(path);
  using T = std::tuple<int, int, Quality>;
  for (const auto &[w, h, q] : {T{128, 96, Quality::High}, T{32, 24, Quality::High}, T{32, 24, Quality::Low}}) {
    ArgbImage image(w, h);
    reader.ReadFrame(9, image.View(), q);
    EXPECT_NEAR(image.pixels[(h / 2 * w + w * 3 / 4) * 4 + 1], ExpectedRed(9), 4) << w;
    EXPECT_EQ(image.pixels[0], 255);  // opaque
  }
  // Each size came from the one decoded frame.
  const auto stats = std::pair(reader.GetStats().framesDecoded, reader.GetStats().seeks);
  ArgbImage again(64, 48);
  reader.ReadFrame(9, again.View(), Quality::High);
  EXPECT_EQ(std::pair(reader.GetStats().framesDecoded, reader.GetStats().seeks), stats);
}

TEST(ClipReader, TruncatedFileReportsTheDamageAndServesWhatDecodes) {
  ScratchDir dir;
  // (A NUT file without its index announces no length, so its loss goes unseen.)
  for (const char *name : {"t.avi", "t.mkv", "t.mov"}) {
    const std::string path = dir / name;
    ASSERT_TRUE(Ffmpeg(NumberedSource(60) + " -c:v ffv1 -movflags +faststart " + path));
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    ClipReader reader(path);
    EXPECT_FALSE(reader.Damage().empty()) << name;
    EXPECT_TRUE(reader.Info().frameCount > 5 && reader.Info().frameCount < 60) << name << reader.Info().frameCount;
    ArgbImage image(64, 48);
    reader.ReadFrame(reader.Info().frameCount - 1, image.View(), Quality::High);
    EXPECT_NEAR(FlatRed(image), ExpectedRed(reader.Info().frameCount - 1), 4) << name;
  }
}

TEST(ClipReader, SoundFollowsTheFramesWhereverItIsRead) {
  ScratchDir dir;
  const std::string path = dir / "s.mkv";
  ASSERT_TRUE(Ffmpeg(NumberedSource(60) + " -f lavfi -i sine=f=440:r=48000:d=2 -map 0 -map 1 -c:v ffv1 -c:a pcm_s16le " + path));
  ClipReader reader(path);
  ASSERT_EQ(std::pair(reader.Info().sampleRate, reader.Info().channels), std::pair(48000, 1));
  const auto at = [&](int f) { return FrameSample(f, reader.Info().frameRate, 48000); };
  std::vector<AudioBlock> seq;
  for (int f = 0; f < 60; ++f) reader.MixAudio(at(f), seq.emplace_back(1, static_cast<int>(at(f + 1) - at(f))), 1.0f);
  EXPECT_GT(*std::max_element(seq[10].data.begin(), seq[10].data.end()), 0.1f);
  for (int f : {50, 3, 40, 0, 59}) {
    AudioBlock again(1, seq[f].samples);
    reader.MixAudio(at(f), again, 1.0f);
    for (int i = 0; i < again.samples; ++i) ASSERT_NEAR(again.data[i], seq[f].data[i], 1e-6) << f << ":" << i;
  }
}

}  // namespace
}  // namespace zv::media
