#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "MediaTestUtil.h"
#include "media/ClipReader.h"
#include "media/ClipWriter.h"
#include "media/DemoClip.h"
#include "media/FFmpeg.h"

namespace zv::media {
namespace {

using test::ScratchDir;

// Random pixels with every alpha value, different in every frame.
ArgbImage NoiseFrame(int width, int height, unsigned seed) {
  ArgbImage image(width, height);
  std::mt19937 rng(seed);
  for (auto &b : image.pixels) b = static_cast<std::uint8_t>(rng());
  return image;
}

// Samples of the first sound stream, counted by decoding the file.
std::int64_t SoundSamples(const std::string &path) {
  AVFormatContext *raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return -1;
  InputPtr input(raw);
  avformat_find_stream_info(raw, nullptr);
  const AVCodec *codec = nullptr;
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (index < 0) return -1;
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(ctx.get(), raw->streams[index]->codecpar);
  avcodec_open2(ctx.get(), codec, nullptr);
  PacketPtr packet = NewPacket();
  FramePtr frame = NewFrame();
  std::int64_t total = 0;
  auto drain = [&] {
    while (avcodec_receive_frame(ctx.get(), frame.get()) == 0) total += frame->nb_samples;
  };
  while (av_read_frame(raw, packet.get()) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(ctx.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(ctx.get(), nullptr);
  drain();
  return total;
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
    for (unsigned i = 0; i < kN; ++i) {
      ArgbImage f = NoiseFrame(kW, kH, i);
      writer->WriteFrame(f.View());
    }
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
                         [](const auto &info) { return std::string(info.param.first) + "_" +
                                                       std::string(info.param.second).substr(
                                                           std::string(info.param.second).size() - 3); });

TEST(ClipWriter, SoundLastsAsLongAsThePicture) {
  ScratchDir dir;
  DemoClip demo;
  for (const char *file : {"a.nut", "a.mkv", "a.mp4"}) {
    const std::string path = dir / file;
    constexpr int kN = 20;
    auto writer = OpenClipWriter({path, 64, 48, {30, 1}, "", DemoClip::kSampleRate, 2});
    ArgbImage frame(64, 48);
    for (int i = 0; i < kN; ++i) {
      demo.ReadFrame(i, frame.View(), Quality::High);
      writer->WriteFrame(frame.View());
      const std::int64_t a = FrameSample(i, {30, 1}, DemoClip::kSampleRate);
      AudioBlock block(2, static_cast<int>(FrameSample(i + 1, {30, 1}, DemoClip::kSampleRate) - a));
      demo.MixAudio(a, block, 1.0f);
      writer->WriteAudio(block);
    }
    writer->Finish();
    const std::int64_t expected = FrameSample(kN, {30, 1}, DemoClip::kSampleRate);
    if (std::string(file) == "a.mp4")  // AAC works in whole frames of 1024
      EXPECT_NEAR(SoundSamples(path), expected, 1024) << file;
    else
      EXPECT_EQ(SoundSamples(path), expected) << file;
    EXPECT_EQ(ClipReader(path).Info().frameCount, kN) << file;
  }
}

TEST(ClipWriter, NothingAppearsUnderTheNameUntilFinished) {
  ScratchDir dir;
  const std::string path = dir / "out.mkv";
  { std::ofstream(path) << "precious"; }
  {
    auto writer = OpenClipWriter({path, 16, 16, {30, 1}, "ffv1", 0, 0});
    ArgbImage f = NoiseFrame(16, 16, 1);
    writer->WriteFrame(f.View());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // the old file and a temp
  }  // dropped unfinished
  std::ifstream in(path);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  auto writer = OpenClipWriter({path, 16, 16, {30, 1}, "ffv1", 0, 0});
  ArgbImage f = NoiseFrame(16, 16, 1);
  writer->WriteFrame(f.View());
  writer->Finish();
  EXPECT_EQ(ClipReader(path).Info().frameCount, 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ClipWriter, RefusesWhatItCannotWrite) {
  ScratchDir dir;
  auto reason = [](const WriterSettings &s) -> std::string {
    try {
      OpenClipWriter(s);
    } catch (const MediaError &e) {
      return e.what();
    }
    return "";
  };
  EXPECT_NE(reason({dir / "a.mkv", 16, 16, {30, 1}, "nosuchcodec", 0, 0}).find("unknown video encoder"),
            std::string::npos);
  EXPECT_NE(reason({dir / "a.mp4", 16, 16, {30, 1}, "ffvhuff", 0, 0}), "");
  EXPECT_NE(reason({dir / "a.xyz", 16, 16, {30, 1}, "", 0, 0}).find("unknown output type"), std::string::npos);
  EXPECT_NE(reason({dir / "no/such/dir/a.mkv", 16, 16, {30, 1}, "", 0, 0}).find("cannot write"), std::string::npos);
  EXPECT_NE(reason({dir / "no/such/dir/a.png", 16, 16, {30, 1}, "", 0, 0}).find("cannot write"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0);
}

TEST(ClipWriter, OddSizesGoToTheUsualEncoder) {
  ScratchDir dir;
  const std::string path = dir / "odd.mp4";
  auto writer = OpenClipWriter({path, 33, 17, {30, 1}, "", 0, 0});
  ArgbImage f = NoiseFrame(33, 17, 3);
  writer->WriteFrame(f.View());
  writer->Finish();
  ClipReader reader(path);
  EXPECT_EQ(reader.Info().width, 33);
  EXPECT_EQ(reader.Info().height, 17);
}

}  // namespace
}  // namespace zv::media
