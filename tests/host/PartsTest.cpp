// A pass rendered in parts and joined: the same clip as one render, and every
// refusal leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <set>
#include <tuple>

#include "HostTestUtil.h"
#include "media/ClipReader.h"
#include "media/FFmpeg.h"

namespace zv::host {
namespace {

using namespace test;

void MakeInput(const Scratch &dir) {
  EXPECT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30:d=1 -f lavfi -i sine=f=440:r=48000:d=1 -c:v ffv1 "
                     "-c:a pcm_s16le " + (dir / "in.mkv")));
}

// Every frame's checksum and time, sound included.
std::string FrameSums(const Scratch &dir, const std::string &name) {
  EXPECT_TRUE(Ffmpeg("-i " + (dir / name) + " -f framemd5 " + (dir / "sums.txt")));
  return test::Slurp(dir / "sums.txt");
}

void RenderParts(const Scratch &dir, int m, const std::string &args, const std::string &stem,
                 const std::string &ext = ".mkv") {
  for (int k = 1; k <= m; ++k) {
    const test::Run run = Zorvane(dir, "render in.mkv " + args + " --quiet --part " + std::to_string(k) + "/" +
                                           std::to_string(m) + " -o " + stem + std::to_string(k) + ext);
    ASSERT_EQ(run.status, 0) << run.err;
  }
}

// Part p with `from` in its description replaced by `to`, its frames copied, as name.
void EditDescription(const Scratch &dir, const std::string &p, const std::string &from, const std::string &to,
                     const std::string &name) {
  AVFormatContext *f = nullptr;
  ASSERT_EQ(avformat_open_input(&f, (dir / p).c_str(), nullptr, nullptr), 0);
  std::string comment = av_dict_get(f->metadata, "comment", nullptr, 0)->value;
  avformat_close_input(&f);
  comment.replace(comment.find(from), from.size(), to);
  ASSERT_TRUE(Ffmpeg("-i " + (dir / p) + " -c copy -metadata comment='" + comment + "' " + (dir / name)));
}

std::string PartList(int m, const std::string &stem, const std::string &ext = ".mkv") {
  std::string list;
  for (int k = m; k >= 1; --k) list += stem + std::to_string(k) + ext + " ";  // any order will do
  return list;
}

// A pass of 6 frames from frame 4 in 6 parts, each shorter than the fades
// (parts of 10 frames under fades of 12: ref.part and the README's recipes).
TEST(Parts, LosslessPartsJoinIntoTheSingleRender) {
  Scratch dir;
  MakeInput(dir);
  const std::string args = " --vcodec ffv1 --start 4 --frames 6 --fade-in 4 --fade-out 4";
  ASSERT_EQ(Zorvane(dir, "render in.mkv -o single.mkv --quiet" + args).status, 0);
  RenderParts(dir, 6, args, "p");
  const test::Run run = Zorvane(dir, "join " + PartList(6, "p") + "-o joined.mkv");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("with sound from in.mkv"), std::string::npos) << run.out;
  const std::string single = FrameSums(dir, "single.mkv");
  ASSERT_NE(single.find("\n1,"), std::string::npos);  // the sound is compared too
  EXPECT_EQ(FrameSums(dir, "joined.mkv"), single);
}

TEST(Parts, H264PartsJoinIntoACleanClipWithItsSound) {
  Scratch dir;
  MakeInput(dir);
  for (const std::string ext : {".mp4", ".mkv"}) {
    RenderParts(dir, 3, "--fade-in 8", "h", ext);
    // The sound of a moved input, from where it is now.
    std::filesystem::rename(dir / "in.mkv", dir / "moved.mkv");
    ExpectOneLine(Zorvane(dir, "join " + PartList(3, "h", ext) + "-o joined" + ext), 1,
                  "in.mkv: the parts' input is not here");
    // Another file under the input's name gives no sound.
    std::filesystem::copy_file(dir / ("h1" + ext), dir / "in.mkv");
    ExpectOneLine(Zorvane(dir, "join " + PartList(3, "h", ext) + "-o joined" + ext), 1,
                  "in.mkv: not the file the parts were made from");
    std::filesystem::remove(dir / "in.mkv");
    test::Run run = Zorvane(dir, "join " + PartList(3, "h", ext) + "-o joined" + ext + " --sound moved.mkv --quiet");
    std::filesystem::rename(dir / "moved.mkv", dir / "in.mkv");
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string out = dir / ("joined" + ext);
    const std::string errors = dir / "errors.txt", pcm = dir / "sound.raw";
    ASSERT_TRUE(Ffmpeg("-v warning -i " + out + " -f null - 2> " + errors));
    EXPECT_EQ(test::Slurp(errors), "") << ext;
    media::ClipReader joined(out);
    EXPECT_EQ(joined.Info().frameCount, 30) << ext;
    ASSERT_TRUE(Ffmpeg("-i " + out + " -map 0:a -f s16le -ac 1 " + pcm));
    const auto samples = static_cast<std::int64_t>(std::filesystem::file_size(pcm) / 2);
    EXPECT_NEAR(samples, 48000, 1600) << ext;  // within a frame of the picture's second
  }
}

// A part 2 of 3 made differently in each thing a part's description carries,
// and the same set with each part missing in turn.
TEST(Parts, RefusalsNameThePartAndLeaveNothing) {
  Scratch dir;
  MakeInput(dir);
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30:d=1 -c:v ffv1 " + (dir / "other.mkv")));
  RenderParts(dir, 3, "--vcodec ffv1", "p");
  const std::pair<std::string, std::string> variants[] = {
      {"faded", "--fade-in 2"}, {"quarter", "--part 2/4"}, {"png", "--vcodec png"}, {"range", "--start 1 --frames 29"},
      {"small", "--size 32x24"}, {"proxy", "--proxy"}};
  for (const auto &[name, args] : variants)
    ASSERT_EQ(Zorvane(dir, "render in.mkv --quiet --vcodec ffv1 --part 2/3 " + args + " -o " + name + ".mkv").status, 0);
  ASSERT_EQ(Zorvane(dir, "render other.mkv --quiet --vcodec ffv1 --part 2/3 -o input.mkv").status, 0);
  ASSERT_EQ(Zorvane(dir, "render ./in.mkv --quiet --vcodec ffv1 --part 2/3 -o dot.mkv").status, 0);
  ASSERT_EQ(std::system(("XDG_CONFIG_HOME=" + (dir / "prefs") + " " ZORVANE_BIN_DIR "/zorvane-store-config 0 1 0 1 "
                         "60 50 50").c_str()), 0);
  ASSERT_EQ(Zorvane(dir, "render in.mkv --quiet --vcodec ffv1 --part 2/3 -o config.mkv").status, 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EditDescription(dir, "p2.mkv", "part=2/3", "part=3/3", "k3.mkv");  // two parts' K swapped
  EditDescription(dir, "p3.mkv", "part=3/3", "part=2/3", "k2.mkv");
  std::string damaged = test::Slurp(dir / "p2.mkv");
  damaged[damaged.size() * 3 / 4] ^= 0x40;
  std::ofstream(dir / "d2.mkv", std::ios::binary) << damaged;
  const auto files = [&] { const auto v = Outputs(dir, {}); return std::set<std::string>(v.begin(), v.end()); };
  const std::set<std::string> before = files();
  const std::tuple<std::string, std::string, int> cases[] = {
      {"join p2.mkv p3.mkv -o out.mkv", "part 1 of 3 is missing", 1},
      {"join p1.mkv p3.mkv -o out.mkv", "part 2 of 3 is missing", 1},
      {"join p1.mkv p2.mkv -o out.mkv", "part 3 of 3 is missing", 1},
      {"join p1.mkv p2.mkv p2.mkv p3.mkv -o out.mkv", "p2.mkv: part 2 of 3 again", 1},
      {"join p1.mkv faded.mkv p3.mkv -o out.mkv", "faded.mkv: not of the same pass as p1.mkv: rendered with other fades", 1},
      {"join p1.mkv quarter.mkv p3.mkv -o out.mkv", "quarter.mkv: not of the same pass as p1.mkv: one of 4 parts", 1},
      {"join p1.mkv range.mkv p3.mkv -o out.mkv", "range.mkv: not of the same pass as p1.mkv: covers another range", 1},
      {"join p1.mkv small.mkv p3.mkv -o out.mkv", "small.mkv: not of the same pass as p1.mkv: rendered at another size", 1},
      {"join p1.mkv proxy.mkv p3.mkv -o out.mkv", "proxy.mkv: not of the same pass as p1.mkv: rendered at another size, rate or quality", 1},
      {"join p1.mkv input.mkv p3.mkv -o out.mkv", "input.mkv: not of the same pass as p1.mkv: made from another input (other.mkv)", 1},
      {"join p1.mkv config.mkv p3.mkv -o out.mkv", "config.mkv: not of the same pass as p1.mkv: rendered with another configuration", 1},
      {"join p1.mkv png.mkv p3.mkv -o out.mkv", "png.mkv: encoded with png, not ffv1", 1},
      {"join p1.mkv in.mkv p3.mkv -o out.mkv", "in.mkv: not a part of a render pass", 1},
      {"join p1.mkv p2.mkv p3.mkv -o p2.mkv", "p2.mkv: this is the input p2.mkv", 1},
      {"join p1.mkv p2.mkv p3.mkv", "join needs -o OUTPUT", 2},
      {"join p1.mkv p2.mkv p3.mkv -o out.mkv --sound other.mkv", "other.mkv: has no sound to take", 1},
      {"join p1.mkv p2.mkv p3.mkv -o out.mkv --sound fifo", "fifo: not a regular file", 1},
      {"join p1.mkv k2.mkv k3.mkv -o out.mkv", "k2.mkv: its frames or description are not the ones its render wrote", 1},
      {"join p1.mkv d2.mkv p3.mkv -o out.mkv", "d2.mkv: its frames or description are not the ones", 1},
      {"render in.mkv --part 0/3 -o out.mkv", "--part 0/3: expected K/M", 2},
      {"render in.mkv --part 4/3 -o out.mkv", "--part 4/3", 2},
      {"render in.mkv --part two/3 -o out.mkv", "--part two/3", 2},
      {"render in.mkv --part 1/31 -o out.mkv", "--part 1/31: the pass has only 30 frames", 2},
      {"render in.mkv --part 1/2 -o out.png", "not a .png sequence", 2},
  };
  for (const auto &[args, error, status] : cases) {
    ExpectOneLine(Zorvane(dir, args), status, error);
    EXPECT_EQ(files(), before) << args;
  }
  // ./in.mkv and in.mkv are one input.
  EXPECT_EQ(Zorvane(dir, "join p1.mkv dot.mkv p3.mkv -o out.mkv --quiet").status, 0);
}

}  // namespace
}  // namespace zv::host
