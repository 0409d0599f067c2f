#include "cli/Interrupt.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "media/TempFile.h"

namespace zv::host {

namespace {

std::atomic<int> gSignals{0};
// Made before any signal: the handler may only write it out.
char gLine[4200];
std::size_t gLineLength = 0;

// The thread that makes the temporary files, each registered before it exists.
pid_t gMainThread = 0;

extern "C" void OnSignal(int signal) {
  // A signal may land on any of FFmpeg's threads; handled there, a second one
  // would remove the files while the main thread goes on making the next.
  if (gettid() != gMainThread) {
    const int saved = errno;
    syscall(SYS_tgkill, getpid(), gMainThread, signal);
    errno = saved;
    return;
  }
  if (gSignals.fetch_add(1) >= 1) {
    media::RemoveRegisteredTempFiles();
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, gLine, gLineLength);
    _exit(1);
  }
}

}  // namespace

void InstallInterruptHandlers(const std::string &output) {
  const std::string line = "zorvane: " + (output.empty() ? std::string() : output + ": ") +
                           "interrupted, nothing written\n";
  gLineLength = std::min(line.size(), sizeof gLine);
  gMainThread = gettid();
  std::memcpy(gLine, line.data(), gLineLength);
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);
  // Past the file-size limit a write fails (EFBIG) like one to a full disk,
  // and is told and cleaned up the same way, instead of killing the process.
  signal(SIGXFSZ, SIG_IGN);
}

bool Interrupted() { return gSignals.load() > 0; }

}  // namespace zv::host
