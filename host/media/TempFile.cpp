#include "media/TempFile.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "media/FFmpeg.h"

namespace zv::media {

namespace {

// Fixed storage: the signal handler may read it at any moment.
constexpr std::size_t kSlots = 64, kPathMax = 4096;
std::array<std::array<char, kPathMax>, kSlots> gPaths{};
std::array<std::atomic<bool>, kSlots> gUsed{};

std::string ErrnoText(int err) { return std::strerror(err); }

}  // namespace

std::string TempNameBeside(const std::string &path, int serial) {
  const std::filesystem::path p(path);
  std::string name = "." + p.filename().string() + ".zorvane-" + std::to_string(getpid());
  if (serial) name += "-" + std::to_string(serial);
  name += ".part";
  return (p.parent_path() / name).string();
}

void RegisterTempFile(const std::string &path) {
  if (path.size() >= kPathMax) return;
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (gUsed[i].load()) continue;
    std::memcpy(gPaths[i].data(), path.c_str(), path.size() + 1);
    gUsed[i].store(true);
    return;
  }
}

void UnregisterTempFile(const std::string &path) {
  for (std::size_t i = 0; i < kSlots; ++i)
    if (gUsed[i].load() && path == gPaths[i].data()) gUsed[i].store(false);
}

void RemoveRegisteredTempFiles() {
  for (std::size_t i = 0; i < kSlots; ++i)
    if (gUsed[i].load()) unlink(gPaths[i].data());
}

void RenameInto(const std::string &from, const std::string &to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    const int err = errno;
    unlink(from.c_str());
    UnregisterTempFile(from);
    throw MediaError("cannot put the output in place: " + ErrnoText(err));
  }
  UnregisterTempFile(from);
}

void WriteFileAtomically(const std::string &path, const void *data, std::size_t size) {
  const std::string temp = TempNameBeside(path);
  RegisterTempFile(temp);
  std::FILE *f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    const int err = errno;
    UnregisterTempFile(temp);
    throw MediaError("cannot write: " + ErrnoText(err));
  }
  const bool written = std::fwrite(data, 1, size, f) == size;
  const int err = errno;
  if (std::fclose(f) != 0 || !written) {
    unlink(temp.c_str());
    UnregisterTempFile(temp);
    throw MediaError("cannot write: " + ErrnoText(written ? errno : err));
  }
  RenameInto(temp, path);
}

}  // namespace zv::media
