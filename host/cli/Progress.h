// The progress bar on standard error: frames done, frames per second and the
// time left, redrawn in place at most a few times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace zv::host {

class Progress {
 public:
  // Draws only when enabled (standard error is a terminal and not --quiet).
  Progress(std::int64_t total, bool enabled, std::FILE *out = stderr);
  ~Progress() { Finish(); }  // ends the bar's line, however the work ended
  Progress(const Progress &) = delete;
  Progress &operator=(const Progress &) = delete;
  void Update(std::int64_t done);
  void Finish();

  // The bar's text for done of total frames after seconds, for a width of 80.
  static std::string Line(std::int64_t done, std::int64_t total, double seconds);

 private:
  std::int64_t total_;
  bool enabled_;
  std::FILE *out_;
  std::chrono::steady_clock::time_point start_, lastDraw_;
  bool drawn_ = false;
};

}  // namespace zv::host
