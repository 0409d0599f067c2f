// The program against hostile files, the user's own files, signals and full
// disks: exit status, the one line on standard error, what is left on disk,
// and the memory a refused file may take.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "HostTestUtil.h"

namespace zv::host {
namespace {

using namespace test;

// zorvane started with standard error on a pipe, under a limit on the size of
// the files it writes (512-byte blocks; past it the system sends SIGXFSZ).
class Child {
 public:
  Child(const Scratch &dir, const std::string &args, const std::string &blocks = "unlimited")
      : pipe_(popen(("ulimit -f " + blocks + "; echo $$; " + test::ZorvaneCommand(dir, args) +
                     " 2>&1 >/dev/null").c_str(), "r")) {
    if (!pipe_ || std::fscanf(pipe_, "%d", &pid_) != 1 || std::fgetc(pipe_) != '\n') ADD_FAILURE() << "not started";
  }
  void Signal(int sig) const { kill(pid_, sig); }
  test::Run Wait() {
    test::Run r;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe_)) > 0;) r.err.append(buf, n);
    int status = 0;
    waitpid(pid_, &status, 0);
    pclose(pipe_);  // its process is reaped already
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
  }

 private:
  FILE *pipe_;
  pid_t pid_ = -1;
};

// Temporary files in the folder, waiting up to 15 s for at least `least`.
int TempFiles(const Scratch &dir, int least = 0) {
  for (int i = 0;; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(25))) {
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir.Path()))
      n += e.path().filename().string().find(".zorvane-") != std::string::npos;
    if (n >= least || i == 600) return n;
  }
}

// Overwrites the bytes at offset after the first occurrence of marker.
void Patch(const std::string &path, const std::string &marker, std::size_t offset, const std::string &bytes) {
  std::string data = Slurp(path);
  ASSERT_NE(data.find(marker), std::string::npos) << path;
  std::ofstream(path, std::ios::binary) << data.replace(data.find(marker) + offset, bytes.size(), bytes);
}

TEST(Hardening, DeclaredHugeFramesAreRefusedBeforeAnyDecoding) {
  Scratch dir;
  // Headers alone, at each limit and one past it: a file within the limits
  // fails later, on its missing picture.
  const std::pair<std::string, bool> headers[] = {{"W16384 H2", false}, {"W16385 H2", true},  {"W2 H16384", false},
                                                  {"W2 H16385", true},  {"W8192 H4320", false}, {"W8192 H4321", true},
                                                  {"W16000 H16000", true}};
  std::set<std::string> inputs;
  for (const auto &[size, refused] : headers) {
    const std::string name = size.substr(1, size.find(' ') - 1) + "x" + size.substr(size.find('H') + 1) + ".y4m";
    { std::ofstream(dir / name) << "YUV4MPEG2 " << size << " F30:1 Ip A1:1 C420jpeg\nFRAME\n" << std::string(99, 'x'); }
    inputs.insert(name);
    const test::Run run = Zorvane(dir, "render " + name + " -o out.mp4", ZORVANE_BIN_DIR "/zorvane-peak-kb peak.kb");
    if (refused) ExpectOneLine(run, 1, name + ": its frames of " + name.substr(0, name.size() - 4) + " are too large");
    else ExpectOneLine(run, 1, name + ": no frames");
    // A refused size never takes a frame's worth of memory (1 GB at 16000x16000).
    if (refused) { EXPECT_LT(std::stol(Slurp(dir / "peak.kb")), 200 * 1024) << name; }
  }
  inputs.insert("peak.kb");
  EXPECT_EQ(Outputs(dir, inputs), std::vector<std::string>{});
}

TEST(Hardening, SizesTheEncoderCannotTakeAreRefusedUpFront) {
  Scratch dir;
  // At the limits, and within them, the size is taken and only the encoder
  // refuses it; one past them it is a usage error.
  for (const char *size : {"16384x1", "1x16384", "8192x4320", "8200x100"})
    ExpectOneLine(Zorvane(dir, std::string("render --size ") + size + " --vcodec mpeg4 -o out.avi"), 1,
                  std::string("out.avi: mpeg4 cannot encode a ") + size + " picture");
  for (const char *size : {"16385x1", "1x16385", "8192x4321", "16384x16384"})
    ExpectOneLine(Zorvane(dir, std::string("thumbnail --size ") + size + " -o t.png"), 2, std::string("--size ") + size);
  EXPECT_EQ(Outputs(dir, {}), std::vector<std::string>{});
}

TEST(Hardening, TheInputIsNeverReplaced) {
  Scratch dir;
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 4 -c:v ffv1 " + (dir / "same.mkv")));
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48 -frames:v 1 " + (dir / "a.png")));
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink("same.mkv", dir / "link.mkv");
  std::filesystem::create_hard_link(dir / "same.mkv", dir / "hard.mkv");
  const std::string before = Slurp(dir / "same.mkv");

  for (const char *out : {"same.mkv", "./same.mkv", "sub/../same.mkv", "link.mkv", "hard.mkv"})
    ExpectOneLine(Zorvane(dir, std::string("render same.mkv --quiet -o ") + out), 1, "this is the input same.mkv");
  ExpectOneLine(Zorvane(dir, "thumbnail a.png -o ./a.png"), 1, "./a.png: this is the input a.png");
  // Any picture of the sequence the output names, the first and the last
  // included, is the input; the one after the last is not.
  for (const char *picture : {"s00000.png", "s00001.png", "s00002.png"}) {
    std::filesystem::rename(dir / "a.png", dir / picture);
    ExpectOneLine(Zorvane(dir, std::string("render ") + picture + " --frames 3 -o s.png"), 1,
                  std::string(picture) + ": this is the input");
    std::filesystem::rename(dir / picture, dir / "a.png");
  }
  std::filesystem::rename(dir / "a.png", dir / "s00003.png");
  EXPECT_EQ(Zorvane(dir, "render s00003.png --frames 3 --quiet -o s.png").status, 0);
  std::filesystem::rename(dir / "s00003.png", dir / "a.png");
  EXPECT_EQ(Slurp(dir / "same.mkv"), before);
  EXPECT_EQ(Outputs(dir, {"same.mkv", "a.png", "s00000.png", "s00001.png", "s00002.png", "sub", "link.mkv", "hard.mkv"}),
            std::vector<std::string>{});
}

TEST(Hardening, InterruptsAndKillsLeaveNothing) {
  Scratch dir;
  { std::ofstream(dir / "big.mkv") << "older"; }
  Child once(dir, "render --size 1920x1080 --vcodec ffv1 -o big.mkv --quiet");
  ASSERT_GE(TempFiles(dir, 1), 1);
  once.Signal(SIGTERM);  // what GNU parallel and Slurm send
  ExpectOneLine(once.Wait(), 1, "big.mkv: interrupted, nothing written");
  EXPECT_EQ(Slurp(dir / "big.mkv"), "older");

  // A picture sequence has one temporary file per frame, far more than 64 here.
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=32x24 -frames:v 1 " + (dir / "still.png")));
  Child twice(dir, "render still.png --frames 100000 -o seq.png --quiet");
  ASSERT_GE(TempFiles(dir, 100), 100);
  twice.Signal(SIGINT);  // two of one kind sent at once may arrive as one
  twice.Signal(SIGTERM);
  ExpectOneLine(twice.Wait(), 1, "seq.png: interrupted, nothing written");
  EXPECT_EQ(TempFiles(dir), 0);

  // What a render killed outright leaves goes with the next render of that
  // output; a file of a process still running stays.
  Child killed(dir, "render --size 640x480 --vcodec ffv1 -o big.mkv --quiet");
  ASSERT_GE(TempFiles(dir, 1), 1);
  killed.Signal(SIGKILL);
  killed.Wait();
  const std::string live = ".big.mkv.zorvane-" + std::to_string(getpid()) + ".part";
  { std::ofstream(dir / live) << "in the making"; }
  ASSERT_EQ(TempFiles(dir), 2);
  const test::Run again = Zorvane(dir, "render --frames 2 --size 64x48 -o big.mkv --quiet");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Outputs(dir, {"big.mkv", "still.png", live, "demo-before-after.png"}), std::vector<std::string>{});
}

// A join that lasts: many short frames and 7.1 sound at 96 kHz to encode.
TEST(Hardening, TerminatingAJoinLeavesNothing) {
  Scratch dir;
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=32x24:r=30:d=40 -f lavfi -i sine=r=96000:d=40 -af \"pan=7.1|c0=c0|c1=c0|"
                     "c2=c0|c3=c0|c4=c0|c5=c0|c6=c0|c7=c0\" -c:v ffv1 -c:a flac " + (dir / "in.mkv")));
  for (const char *k : {"1", "2"})
    ASSERT_EQ(Zorvane(dir, std::string("render in.mkv --quiet --vcodec ffv1 --part ") + k + "/2 -o p" + k + ".mkv").status, 0);
  Child join(dir, "join p1.mkv p2.mkv -o out.mkv --quiet");
  ASSERT_GE(TempFiles(dir, 1), 1);
  join.Signal(SIGTERM);
  ExpectOneLine(join.Wait(), 1, "out.mkv: interrupted, nothing written");
  EXPECT_EQ(Outputs(dir, {"in.mkv", "p1.mkv", "p2.mkv"}), std::vector<std::string>{});
}

TEST(Hardening, DamagedClipsServeTheFramesThatDecode) {
  Scratch dir;
  const std::string cut = dir / "cut.mp4";
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 90 -g 30 -c:v libx264 -movflags +faststart " + cut));
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 9 / 10);

  EXPECT_EQ(Zorvane(dir, "thumbnail cut.mp4 --at 0 -o t.png --quiet").status, 0);
  const test::Run all = Zorvane(dir, "render cut.mp4 -o all.mkv");
  ExpectOneLine(all, 1, "cut.mp4: truncated or damaged from frame ");
  // Up to the last frame that decodes, and not one past it.
  const int decode = std::atoi(all.err.c_str() + all.err.find("frame ") + 6);
  EXPECT_EQ(Zorvane(dir, "render cut.mp4 --frames " + std::to_string(decode) + " -o part.mkv --quiet").status, 0);
  ExpectOneLine(Zorvane(dir, "render cut.mp4 --frames " + std::to_string(decode + 1) + " -o more.mkv"), 1,
                "damaged from frame " + std::to_string(decode));
  EXPECT_EQ(Outputs(dir, {"cut.mp4", "part.mkv", "t.png"}), std::vector<std::string>{});
}

TEST(Hardening, MessagesSayWhatHappened) {
  Scratch dir;
  { std::ofstream(dir / "long.y4m") << "YUV4MPEG2 W64 H48 F30:1 X" << std::string(200, 'x') << "\nFRAME\n"; }
  const std::string slow = dir / "noindex.mp4", fast = dir / "badindex.mp4";
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 30 -c:v libx264 " + slow));
  std::filesystem::resize_file(slow, std::filesystem::file_size(slow) * 8 / 10);  // the index is last
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 30 -c:v libx264 -movflags +faststart " + fast));
  Patch(fast, "stsz", 12, std::string("\x30\x00\x00\x00", 4));  // its sample count
  ExpectOneLine(Zorvane(dir, "render long.y4m -o o.mp4"), 1, "long.y4m: truncated or damaged: its YUV4MPEG");
  ExpectOneLine(Zorvane(dir, "render noindex.mp4 -o o.mp4"), 1,
                "noindex.mp4: no frames: the QuickTime / MOV file ends before any picture or index");
  ExpectOneLine(Zorvane(dir, "render badindex.mp4 -o o.mp4"), 1, "badindex.mp4: truncated or damaged: its");

  // No room for even the header; then room for a few frames of a render that
  // would take minutes if the failure waited for its end.
  ExpectOneLine(Child(dir, "render --frames 3 -o full.mp4", "0").Wait(), 1, "full.mp4: cannot write: past the limit on file size");
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48 -frames:v 1 " + (dir / "still.png")));
  ExpectOneLine(Child(dir, "render still.png --frames 2000000 --vcodec rawvideo -o full.nut", "2048").Wait(), 1,
                "full.nut: writing failed: past the limit on file size");

  const test::Run seq = Zorvane(dir, "render --frames 3 --size 32x24 -o base20.png");
  EXPECT_EQ(seq.out,
            "wrote base20-00000.png to base20-00002.png (3 pictures of 32x24, png) and demo-before-after.png\n")
      << seq.err;
  EXPECT_EQ(Outputs(dir, {"long.y4m", "noindex.mp4", "badindex.mp4", "still.png", "base20-00000.png",
                          "base20-00001.png", "base20-00002.png", "demo-before-after.png"}),
            std::vector<std::string>{});
}

// A folder in the way of the final name: the move fails and leaves nothing.
TEST(Hardening, AFolderInThePlaceOfAPictureLeavesNoTemporaryFile) {
  Scratch dir;
  std::filesystem::create_directory(dir / "t.png");
  std::filesystem::create_directory(dir / "seq00001.png");
  ExpectOneLine(Zorvane(dir, "thumbnail -o t.png"), 1, "t.png: cannot put the output in place");
  ExpectOneLine(Zorvane(dir, "render --frames 3 --size 32x24 -o seq.png"), 1, "seq00001.png is a folder");
  EXPECT_EQ(Outputs(dir, {"t.png", "seq00001.png"}), std::vector<std::string>{});
}

}  // namespace
}  // namespace zv::host
