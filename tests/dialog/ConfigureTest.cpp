// `zorvane configure` end to end: the built program and bundle, the dialog
// driven by a script, then the stored configuration and a render that uses it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../host/HostTestUtil.h"
#include "media/ClipReader.h"

namespace zv::host {
namespace {

using test::Scratch;
using test::Zorvane;

void Write(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }

// A copy of the built bundle in the scratch folder, for spoiling.
std::string CopyBundle(const Scratch &dir) {
  const std::string copy = dir / "Copy.bundle";
  std::filesystem::copy(ZORVANE_BUNDLE_PATH, copy, std::filesystem::copy_options::recursive);
  return copy;
}

TEST(Configure, OkStoresTheEditsAndRenderUsesThem) {
  Scratch dir;
  ASSERT_TRUE(test::Ffmpeg("-f lavfi -i \"color=c=0x102030:s=96x64:r=25:d=0.2,format=rgba\" -c:v ffv1 " +
                           dir / "in.mkv"));
  // Top-left handle to the centre, then bottom-right handle to three quarters.
  Write(dir / "ok.script",
        "expect-window configNTSC\nexpect-text ClpM 1 \"3/4\"\ndrag 16 16 286 196\ndrag 555 375 420 285\n"
        "set-slider Sldr 1 100\nset-slider Sldr 2 20\nset-slider Sldr 3 0\n"
        "expect-text Lgnd 1 \"100%\"\nexpect-text Lgnd 2 \"20%\"\nexpect-text Lgnd 3 \"0%\"\nclick-control 'ok  ' 1\n");
  test::Run run = Zorvane(dir, "configure in.mkv --frame 3 --script ok.script");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");

  run = Zorvane(dir, "render in.mkv -o out.nut --vcodec rawvideo --frames 2 --quiet");
  ASSERT_EQ(run.status, 0) << run.err;
  media::ClipReader in(dir / "in.mkv"), out(dir / "out.nut");
  ASSERT_EQ(out.Info().frameCount, 2);
  for (int f = 0; f < 2; ++f) {
    media::ArgbImage src(96, 64), dst(96, 64);
    in.ReadFrame(f, src.View(), media::Quality::High);
    out.ReadFrame(f, dst.View(), media::Quality::High);
    auto at = [](const media::ArgbImage &im, int x, int y) { return &im.pixels[4 * (y * 96 + x)]; };
    // The rectangle is columns 48 to 71 and rows 32 to 47; the floors 255, 51, 0.
    for (auto [x, y] : {std::pair{48, 32}, {60, 40}, {71, 47}}) {
      const std::uint8_t *s = at(src, x, y), *d = at(dst, x, y);
      EXPECT_EQ(std::vector<int>(d, d + 4), (std::vector<int>{s[0], 255, std::max<int>(s[2], 51), s[3]})) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{47, 40}, {72, 40}, {60, 31}, {60, 48}, {0, 0}})
      EXPECT_EQ(std::memcmp(at(dst, x, y), at(src, x, y), 4), 0) << x << "," << y;
  }
}

TEST(Configure, HelpOpensTheBundlesManualOrSaysItIsMissing) {
  Scratch dir;
  Write(dir / "help.script", "click-control Help 1\nexpect-window configNTSC\nclick-control 'not!' 1\n");
  test::Run run = Zorvane(dir, "configure --script help.script");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string manual = std::string(ZORVANE_BUNDLE_PATH) + "/Contents/Resources/manual.pdf";
  EXPECT_NE(run.out.find("open-document " + manual + "\n"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(manual));

  const std::string copy = CopyBundle(dir);
  std::filesystem::remove(copy + "/Contents/Resources/manual.pdf");
  Write(dir / "missing.script", "click-control Help 1\nexpect-window alert\n"
                                "expect-text alrt 11 \"Cannot locate manual in bundle\"\nkey return\n"
                                "expect-window configNTSC\nclick-control 'not!' 1\n");
  run = Zorvane(dir, "configure --plugin Copy.bundle --script missing.script");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find("open-document"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Cannot locate manual in bundle"), std::string::npos) << run.err;
}

TEST(Configure, AWindowWithoutARequiredControlStopsNamingIt) {
  const std::pair<const char *, const char *> cases[] = {
      {"signature=\"Clip\" number=\"1\"", "Cannot acces Clip 1 CTRL"},
      {"signature=\"Sldr\" number=\"5\"", "Cannot access slider 5"},
      {"signature=\"ClpS\" number=\"1\"", "Cannot access clip slider"},
      {"signature=\"Colr\" number=\"2\"", "Cannot allocate color2 in SetupDialog"},
  };
  for (const auto &[drop, message] : cases) {
    Scratch dir;
    ASSERT_EQ(std::system(("sed -i '/" + std::string(drop) + "/d' " + CopyBundle(dir) + "/Contents/Resources/zorvane.nib").c_str()), 0);
    Write(dir / "any.script", "expect-window alert\nkey return\n");
    const test::Run run = Zorvane(dir, "configure --plugin Copy.bundle --script any.script");
    EXPECT_EQ(run.status, 1) << message;
    EXPECT_NE(run.err.find(std::string("Assertion Failure: Assertion failed in: ") + message), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace zv::host
