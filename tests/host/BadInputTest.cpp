// Every bad input ends with one line naming the file and the reason, exit
// status 1 (the work failed) or 2 (usage), and no output file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <vector>

#include "HostTestUtil.h"

namespace zv::host {
namespace {

using namespace test;

TEST(BadInput, InputsThatAreNoUsableClip) {
  Scratch dir;
  { std::ofstream(dir / "notes.txt") << "just some words\n"; }
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 0 -c:v ffv1 " + (dir / "empty.mkv")));
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 10 -c:v ffv1 " + (dir / "ten.mkv")));
  ASSERT_TRUE(Ffmpeg("-f lavfi -i sine=d=0.5 " + (dir / "sound.wav")));
  const std::set<std::string> inputs = {"notes.txt", "empty.mkv", "ten.mkv", "sound.wav"};

  ExpectOneLine(Zorvane(dir, "render missing.mp4 -o out.mp4"), 1, "missing.mp4: no such file");
  ExpectOneLine(Zorvane(dir, "render notes.txt -o out.mp4"), 1, "notes.txt: not a video");
  ExpectOneLine(Zorvane(dir, "render sound.wav -o out.mp4"), 1, "sound.wav: not a video");
  ExpectOneLine(Zorvane(dir, "render empty.mkv -o out.mkv"), 1, "empty.mkv: no frames");
  ExpectOneLine(Zorvane(dir, "render ten.mkv --start 10 -o out.mkv"), 1, "ten.mkv: --start 10 is beyond the last frame (9)");
  ExpectOneLine(Zorvane(dir, "render ten.mkv --start 5 --frames 6 -o out.mkv"), 1, "runs past the last frame (9)");
  ExpectOneLine(Zorvane(dir, "thumbnail ten.mkv --at 10 -o t.png"), 1, "ten.mkv: --at 10 is beyond");
  EXPECT_EQ(Outputs(dir, inputs), std::vector<std::string>{});
}

TEST(BadInput, OutputsThatCannotBeWritten) {
  Scratch dir;
  { std::ofstream(dir / "plain") << "a file, not a folder\n"; }
  { std::ofstream(dir / "keep.mp4") << "precious"; }
  std::filesystem::create_directory(dir / "locked");
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

  ExpectOneLine(Zorvane(dir, "render --frames 3 -o nowhere/out.mp4"), 1, "nowhere/out.mp4: cannot write");
  ExpectOneLine(Zorvane(dir, "render --frames 3 -o plain/out.mp4"), 1, "plain/out.mp4: cannot write");
  ExpectOneLine(Zorvane(dir, "thumbnail -o nowhere/t.png"), 1, "nowhere/t.png: cannot write");
  if (geteuid() != 0)  // root writes anywhere
    ExpectOneLine(Zorvane(dir, "render --frames 3 -o locked/out.mp4"), 1, "locked/out.mp4: cannot write");
  ExpectOneLine(Zorvane(dir, "render --frames 3 -o out.xyz"), 1, "out.xyz: unknown output type");
  ExpectOneLine(Zorvane(dir, "render --frames 3 --vcodec nosuch -o keep.mp4"), 1, "unknown video encoder 'nosuch'");
  ExpectOneLine(Zorvane(dir, "render --frames 3 --vcodec ffvhuff -o keep.mp4"), 1, "keep.mp4: a .mp4 file cannot hold");
  EXPECT_EQ(test::Slurp(dir / "keep.mp4"), "precious");
  EXPECT_EQ(Outputs(dir, {"plain", "keep.mp4", "locked"}), std::vector<std::string>{});
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
}

TEST(BadInput, BundlesThatCannotBeLoaded) {
  Scratch dir;
  const std::filesystem::path broken = dir.Path() / "Broken.bundle";
  std::filesystem::create_directories(broken / "Contents" / "Linux");
  std::filesystem::copy_file(std::string(ZORVANE_BUNDLE_PATH) + "/Contents/Info.plist", broken / "Contents/Info.plist");
  // A real shared library, but without the entry point.
  std::filesystem::copy_file(std::string(ZORVANE_BIN_DIR) + "/../lib/libzorvane-platform.so",
                             broken / "Contents/Linux/zorvane.so");
  ExpectOneLine(Zorvane(dir, "info --plugin Missing.bundle"), 1, "Missing.bundle: no such bundle");
  ExpectOneLine(Zorvane(dir, "info --plugin Broken.bundle"), 1, "exports no \"main\"");
  ExpectOneLine(Zorvane(dir, "render --frames 2 --plugin Broken.bundle -o out.mp4"), 1, "exports no \"main\"");
  std::filesystem::remove(broken / "Contents/Info.plist");
  ExpectOneLine(Zorvane(dir, "info --plugin Broken.bundle"), 1, "Broken.bundle: not a bundle");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.mp4"));
}

TEST(BadInput, UsageErrorsExitWithTwo) {
  Scratch dir;
  for (const char *args : {"", "paint", "render --size 0x10", "render --size 20000x10", "render --size 64",
                           "render --frames 0", "render --start -1", "render --fade-in x", "render --bogus",
                           "render a.mp4 b.mp4", "thumbnail", "thumbnail -o t.jpg", "info extra", "render -o",
                           "info --quiet", "configure --quiet", "thumbnail --vcodec png -o t.png", "join p.mkv"}) {
    SCOPED_TRACE(args);
    ExpectOneLine(Zorvane(dir, args), 2, "");
  }
  EXPECT_EQ(Outputs(dir, {}), std::vector<std::string>{});
}

TEST(BadInput, DoubleDashEndsTheOptions) {
  Scratch dir;
  ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=64x48:r=30 -frames:v 2 -c:v ffv1 " + (dir / "-dash.mkv")));
  const test::Run run = Zorvane(dir, "render --quiet -o out.mkv -- -dash.mkv");
  EXPECT_EQ(run.status, 0) << run.err;
  ExpectOneLine(Zorvane(dir, "render -o out2.mkv -- --frames"), 1, "--frames: no such file");
}

// The README shows the usage exactly as --help prints it.
TEST(BadInput, ReadmeShowsTheHelp) {
  Scratch dir;
  const test::Run help = Zorvane(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(test::Slurp(std::string(ZORVANE_SOURCE_DIR) + "/README.md").find("```text\n" + help.out + "```"),
            std::string::npos) << "README.md does not show this --help:\n" << help.out;
}

}  // namespace
}  // namespace zv::host
