// Runs code with the toolkit's script backend reading a script, as a person's
// input would reach it.
#pragma once

#include <ToolkitBackend.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace zv::test {

inline std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Writes `lines` to folder/dialog.script (its first line is line 1) and runs
// `run` on it. Non-zero when a line failed or never ran; the log is in `log`.
inline int Scripted(const std::string &folder, const std::string &lines, const std::function<void()> &run,
                    std::string &log) {
  const std::string script = folder + "/dialog.script", logPath = folder + "/dialog.log";
  std::ofstream(script) << lines;
  FILE *logFile = std::fopen(logPath.c_str(), "w");
  if (!logFile || ZvToolkitStart("script", script.c_str(), logFile) != noErr) {
    if (logFile) std::fclose(logFile);
    log = "the script backend did not start";
    return -1;
  }
  run();
  const int failed = ZvToolkitStop();
  std::fclose(logFile);
  log = Slurp(logPath);
  return failed;
}

}  // namespace zv::test
