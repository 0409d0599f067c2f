// The program against hostile files, the user's own files, signals and full
// disks: exit status, the one line on standard error, what is left on disk,
// and the memory a refused file may take.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "HostTestUtil.h"

namespace zv::host {
namespace {

using namespace test;

// zorvane started with standard error on a pipe, under a limit on the size of
// the files it writes (512-byte blocks; a write past it fails with EFBIG).
class Child {
 public:
  Child(const Scratch &dir, const std::string &args, const std::string &blocks = "unlimited")
      : pipe_(popen(("trap '' XFSZ; ulimit -f " + blocks + "; echo $$; " + test::ZorvaneCommand(dir, args) +
                     " 2>&1 >/dev/null").c_str(), "r")) {
    if (!pipe_ || std::fscanf(pipe_, "%d", &pid_) != 1 || std::fgetc(pipe_) != '\n') ADD_FAILURE() << "not started";
  }
  void Signal(int sig) const { kill(pid_, sig); }
  long PeakKb() const { return peakKb_; }
  test::Run Wait() {
    test::Run r;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe_)) > 0;) r.err.append(buf, n);
    int status = 0;
    rusage usage{};
    wait4(pid_, &status, 0, &usage);
    pclose(pipe_);  // its process is reaped already
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    peakKb_ = usage.ru_maxrss;
    return r;
  }

 private:
  FILE *pipe_;
  pid_t pid_ = -1;
  long peakKb_ = 0;
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
  // Matroska that declares its frames' size: 320x256 (two-byte values) patched larger.
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=320x256:r=30 -frames:v 3 -c:v ffv1 " + (dir / "small.mkv")));
  const std::string width("\xB0\x82\x01\x40", 4), height("\xBA\x82\x01\x00", 4);
  for (const char *name : {"w16000.mkv", "w8192.mkv"}) {
    std::filesystem::copy_file(dir / "small.mkv", dir / name);
    const std::string side = name[1] == '1' ? std::string("\x3E\x80", 2) : std::string("\x20\x00", 2);
    Patch(dir / name, width, 2, side);
    Patch(dir / name, height, 2, side);
  }
  { std::ofstream(dir / "huge.y4m") << "YUV4MPEG2 W16000 H16000 F30:1 Ip A1:1 C420jpeg\nFRAME\n" << std::string(99, 'x'); }

  for (const char *name : {"w16000.mkv", "w8192.mkv", "huge.y4m"}) {
    Child child(dir, std::string("render ") + name + " -o out.mp4");
    ExpectOneLine(child.Wait(), 1, std::string(name) + ": its frames of ");
    EXPECT_LT(child.PeakKb(), 200 * 1024) << name;
  }
  EXPECT_EQ(Outputs(dir, {"small.mkv", "w16000.mkv", "w8192.mkv", "huge.y4m"}), std::vector<std::string>{});
}

TEST(Hardening, SizesTheEncoderCannotTakeAreRefusedUpFront) {
  Scratch dir;
  ExpectOneLine(Zorvane(dir, "thumbnail --size 16384x16384 -o t.png"), 2, "--size 16384x16384");
  ExpectOneLine(Zorvane(dir, "render --size 8200x100 --vcodec mpeg4 -o out.avi"), 1,
                "out.avi: mpeg4 cannot encode a 8200x100 picture");
  EXPECT_EQ(Outputs(dir, {}), std::vector<std::string>{});
}

TEST(Hardening, TheInputIsNeverReplaced) {
  Scratch dir;
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 4 -c:v ffv1 " + (dir / "same.mkv")));
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48 -frames:v 1 " + (dir / "a.png")));
  std::filesystem::copy_file(dir / "a.png", dir / "s00001.png");
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink("same.mkv", dir / "link.mkv");
  std::filesystem::create_hard_link(dir / "same.mkv", dir / "hard.mkv");
  const std::string before = Slurp(dir / "same.mkv");

  for (const char *out : {"same.mkv", "./same.mkv", "sub/../same.mkv", "link.mkv", "hard.mkv"})
    ExpectOneLine(Zorvane(dir, std::string("render same.mkv --quiet -o ") + out), 1, "this is the input same.mkv");
  ExpectOneLine(Zorvane(dir, "thumbnail a.png -o ./a.png"), 1, "./a.png: this is the input a.png");
  // One picture of the sequence the output names is the input.
  ExpectOneLine(Zorvane(dir, "render s00001.png --frames 3 -o s.png"), 1, "s00001.png: this is the input");
  EXPECT_EQ(Slurp(dir / "same.mkv"), before);
  EXPECT_EQ(Outputs(dir, {"same.mkv", "a.png", "s00001.png", "sub", "link.mkv", "hard.mkv"}),
            std::vector<std::string>{});
}

TEST(Hardening, InterruptsAndKillsLeaveNothing) {
  Scratch dir;
  { std::ofstream(dir / "big.mkv") << "older"; }
  Child once(dir, "render --size 1920x1080 --vcodec ffv1 -o big.mkv --quiet");
  ASSERT_GE(TempFiles(dir, 1), 1);
  once.Signal(SIGINT);
  ExpectOneLine(once.Wait(), 1, "big.mkv: interrupted, nothing written");
  EXPECT_EQ(Slurp(dir / "big.mkv"), "older");

  // A picture sequence has one temporary file per frame, far more than 64 here.
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=32x24 -frames:v 1 " + (dir / "still.png")));
  Child twice(dir, "render still.png --frames 100000 -o seq.png --quiet");
  ASSERT_GE(TempFiles(dir, 100), 100);
  twice.Signal(SIGINT);
  twice.Signal(SIGINT);
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

TEST(Hardening, DamagedClipsServeTheFramesThatDecode) {
  Scratch dir;
  const std::string cut = dir / "cut.mp4";
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 90 -g 30 -c:v libx264 -movflags +faststart " + cut));
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 9 / 10);

  EXPECT_EQ(Zorvane(dir, "render cut.mp4 --frames 10 -o part.mkv --quiet").status, 0);
  EXPECT_EQ(Zorvane(dir, "thumbnail cut.mp4 --at 0 -o t.png --quiet").status, 0);
  ExpectOneLine(Zorvane(dir, "render cut.mp4 -o all.mkv"), 1, "cut.mp4: truncated or damaged from frame ");
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
  ExpectOneLine(Child(dir, "render --frames 3 -o full.mp4", "0").Wait(), 1, "full.mp4: cannot write: File too large");
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48 -frames:v 1 " + (dir / "still.png")));
  ExpectOneLine(Child(dir, "render still.png --frames 2000000 --vcodec rawvideo -o full.nut", "2048").Wait(), 1,
                "full.nut: writing failed: File too large");

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
