#include "cli/Progress.h"

#include <string>

namespace zv::host {

Progress::Progress(std::int64_t total, bool enabled, std::FILE *out)
    : total_(total), enabled_(enabled), out_(out), start_(std::chrono::steady_clock::now()) {}

std::string Progress::Line(std::int64_t done, std::int64_t total, double seconds) {
  constexpr int kBar = 30;
  const int filled = total > 0 ? static_cast<int>(done * kBar / total) : kBar;
  std::string bar = "[" + std::string(filled, '#') + std::string(kBar - filled, '-') + "]";
  const double fps = seconds > 0 ? done / seconds : 0;
  char tail[96];
  if (fps > 0 && done < total) {
    const long left = static_cast<long>((total - done) / fps + 0.5);
    std::snprintf(tail, sizeof tail, " %lld/%lld frames  %.1f fps  %ld:%02ld left", static_cast<long long>(done),
                  static_cast<long long>(total), fps, left / 60, left % 60);
  } else {
    std::snprintf(tail, sizeof tail, " %lld/%lld frames  %.1f fps", static_cast<long long>(done),
                  static_cast<long long>(total), fps);
  }
  return bar + tail;
}

void Progress::Update(std::int64_t done) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && done < total_ && now - lastDraw_ < std::chrono::milliseconds(200)) return;
  lastDraw_ = now;
  drawn_ = true;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(out_, "\r%s\x1b[K", Line(done, total_, seconds).c_str());
  std::fflush(out_);
}

void Progress::Finish() {
  if (enabled_ && drawn_) std::fprintf(out_, "\n");
  drawn_ = false;
}

}  // namespace zv::host
