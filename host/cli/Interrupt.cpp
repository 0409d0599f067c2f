#include "cli/Interrupt.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "media/TempFile.h"

namespace zv::host {

namespace {

std::atomic<int> gSignals{0};

extern "C" void OnSignal(int) {
  if (gSignals.fetch_add(1) >= 1) {
    media::RemoveRegisteredTempFiles();
    _exit(1);
  }
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool Interrupted() { return gSignals.load() > 0; }

}  // namespace zv::host
