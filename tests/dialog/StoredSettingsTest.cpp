// The preferences file as a careless or hostile user leaves it: nothing in
// its place hangs the program, and OK that cannot store says so and fails.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../host/HostTestUtil.h"

namespace zv::host {
namespace {

using test::Scratch;
using test::Zorvane;

TEST(StoredSettings, AnythingButAFileIsUnreadableAndOkThatCannotStoreFails) {
  Scratch dir;
  const std::string prefs = dir / "prefs/tolvi-Prefs";
  std::ofstream(dir / "ok.script") << "click-control 'ok  ' 1\n";
  // A FIFO, the kind that could hang a reader. A folder is refused by the
  // same check; a link to nothing is checked by PrefsFile.ALinkToNothing...
  ASSERT_EQ(::mkfifo(prefs.c_str(), 0600), 0);
  test::Run run = Zorvane(dir, "info");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(prefs + ": stored configuration unreadable: not a regular file"), std::string::npos) << run.out;
  run = Zorvane(dir, "render -o out.nut --vcodec rawvideo --frames 1 --quiet");
  EXPECT_EQ(run.status, 0) << run.err;
  run = Zorvane(dir, "configure --script ok.script");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "The settings were not stored: " + prefs + ": not a regular file\n");
  std::filesystem::create_directory(dir / "scripts");
  EXPECT_EQ(Zorvane(dir, "configure --script scripts").status, 2);
  EXPECT_EQ(Zorvane(dir, "configure --script no-such.script").status, 2);
}

TEST(StoredSettings, ConfigureWithoutADisplayFailsAtOnce) {
  const char *names[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER"};
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char *name : names)
    if (const char *value = std::getenv(name)) saved.emplace_back(name, value);
  for (const char *name : names) unsetenv(name);
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);  // named, but no runtime folder to find it in
  Scratch dir;
  const test::Run run = Zorvane(dir, "configure");
  unsetenv("WAYLAND_DISPLAY");
  for (const auto &[name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "zorvane: no display to show the dialog on (set DISPLAY, or run a script with --script FILE)\n");
}

}  // namespace
}  // namespace zv::host
