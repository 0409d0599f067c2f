// A failure the zorvane program reports as one line and an exit status:
// 1 for a failure of the work, 2 for a usage error.
#pragma once

#include <stdexcept>
#include <string>

namespace zv::host {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string &message, int exitStatus = 1)
      : std::runtime_error(message), exitStatus_(exitStatus) {}
  int ExitStatus() const { return exitStatus_; }

 private:
  int exitStatus_;
};

inline Failure UsageError(const std::string &message) { return Failure(message, 2); }
// A failure the user has already been told of (by the plug-in's alert): exit 1, no line.
inline Failure ToldFailure() { return Failure(std::string(), 1); }

}  // namespace zv::host
