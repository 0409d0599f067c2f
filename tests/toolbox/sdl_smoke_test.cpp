// The sdl backend on a virtual screen: a real click on a real window reaches
// the window's command handler. Skipped where Xvfb or xdotool is missing.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "harness.h"

extern char **environ;

namespace {
bool Have(const char *tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}
}  // namespace

TEST_F(ToolkitTest, SdlWindowTakesARealClickUnderXvfb) {
  if (!Have("Xvfb") || !Have("xdotool")) GTEST_SKIP() << "Xvfb or xdotool missing";
  const int display = 70 + getpid() % 100;
  const std::string name = ":" + std::to_string(display);
  pid_t xvfb = Spawn({"Xvfb", name, "-screen", "0", "800x600x24", "-nolisten", "tcp"});
  ASSERT_GT(xvfb, 0);
  struct stat st;
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 100 && stat(socket.c_str(), &st) != 0; ++i) usleep(50000);
  setenv("DISPLAY", name.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);

  // The screen's libraries keep memory to the end of the process: the run
  // happens in a child that leaves with _exit, so only the result counts.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(60);  // a lost click ends the run instead of hanging it
    if (ZvToolkitStart("sdl", nullptr, nullptr) != noErr) _exit(2);
    started_ = true;
    pid_t hand = Spawn({"sh", "-c",
                        "wid=$(xdotool search --sync --name '^Demo$' | head -n 1) && sleep 0.5 && "
                        "xdotool mousemove --window \"$wid\" 20 19 click 1 && sleep 0.3 && "
                        "xdotool mousemove --window \"$wid\" 248 170 click 1"});
    RunDemo();
    int status;
    waitpid(hand, &status, 0);
    bool ok = gRec.commands == std::vector<std::string>{"Keep", "ok  "} &&
              GetControl32BitValue(Ctl(demo_, "Keep", 1)) == 1;
    for (auto &c : gRec.commands) std::fprintf(stderr, "command '%s'\n", c.c_str());
    Stop();
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  kill(xvfb, SIGTERM);
  int xstatus;
  waitpid(xvfb, &xstatus, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
