// The sdl backend on a virtual screen: a real click on a real window reaches
// the window's command handler. Skipped where Xvfb or xdotool is missing.
#include <fcntl.h>
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
  // Xvfb picks a free display and writes its number once it accepts clients,
  // so parallel runs neither collide nor connect too early.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  fcntl(ready[0], F_SETFD, FD_CLOEXEC);
  pid_t xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "800x600x24", "-nolisten", "tcp"});
  close(ready[1]);
  ASSERT_GT(xvfb, 0);
  std::string display;
  char ch;
  while (read(ready[0], &ch, 1) == 1 && ch != '\n') display += ch;
  close(ready[0]);
  ASSERT_FALSE(display.empty()) << "Xvfb did not start";
  setenv("DISPLAY", (":" + display).c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  // The software renderer keeps the window SDL first made; an accelerated one
  // may make it again, and the click would go to a window that is gone.
  setenv("SDL_RENDER_DRIVER", "software", 1);
  // SDL drops a click that comes within 10 ms of the window taking the focus;
  // the hand clicks as soon as the window shows, so the click must count.
  setenv("SDL_MOUSE_FOCUS_CLICKTHROUGH", "1", 1);

  // The screen's libraries keep memory to the end of the process: the run
  // happens in a child that leaves with _exit, so only the result counts.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(60);  // a lost click ends the run instead of hanging it
    if (ZvToolkitStart("sdl", nullptr, nullptr) != noErr) _exit(2);
    started_ = true;
    // The search asks again until the window shows: a search that meets one of
    // SDL's short-lived windows fails on it instead of waiting.
    pid_t hand = Spawn({"sh", "-c",
                        "until wid=$(xdotool search --onlyvisible --name '^Demo$' 2>/dev/null | head -n 1) && "
                        "[ -n \"$wid\" ]; do sleep 0.05; done; "
                        "xdotool mousemove --sync --window \"$wid\" 20 19 click 1 "
                        "mousemove --sync --window \"$wid\" 248 170 click 1"});
    RunDemo();
    waitpid(hand, nullptr, 0);
    bool ok = gRec.commands == std::vector<std::string>{"Keep", "ok  "} &&
              GetControl32BitValue(Ctl(demo_, "Keep", 1)) == 1;
    for (auto &c : gRec.commands) std::fprintf(stderr, "command '%s'\n", c.c_str());
    Stop();
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
