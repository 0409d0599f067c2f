#include "media/TempFile.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "media/FFmpeg.h"

namespace zv::media {

namespace {

// Fixed storage: the signal handler may read it at any moment.
constexpr std::size_t kSlots = 64, kPathMax = 4096;
std::array<std::array<char, kPathMax>, kSlots> gPaths{};
std::array<std::atomic<bool>, kSlots> gUsed{};
// -1 for a single file; otherwise the slot holds a series' stem and its count.
std::array<std::atomic<int>, kSlots> gSeriesCount{};

std::string ErrnoText(int err) { return std::strerror(err); }

constexpr char kMark[] = ".zorvane-", kSuffix[] = ".part";

int Register(const std::string &path, int seriesCount) {
  if (path.size() >= kPathMax) return -1;
  // One thread registers; the handler only reads a slot once it is marked used.
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (gUsed[i].load()) continue;
    std::memcpy(gPaths[i].data(), path.c_str(), path.size() + 1);
    gSeriesCount[i].store(seriesCount);
    gUsed[i].store(true);
    return static_cast<int>(i);
  }
  return -1;
}

// Signal-safe: stem + "-" + n + ".part" into out.
void SeriesName(const char *stem, int n, char *out, std::size_t size) {
  std::size_t len = 0;
  while (stem[len] && len < size) out[len] = stem[len], ++len;
  char digits[12];
  int d = 0;
  do digits[d++] = static_cast<char>('0' + n % 10); while ((n /= 10) > 0);
  if (len + 1 + d + sizeof kSuffix > size) {
    out[0] = 0;
    return;
  }
  out[len++] = '-';
  while (d) out[len++] = digits[--d];
  std::memcpy(out + len, kSuffix, sizeof kSuffix);
}

}  // namespace

std::string TempNameBeside(const std::string &path, int serial) {
  const std::filesystem::path p(path);
  std::string name = "." + p.filename().string() + kMark + std::to_string(getpid());
  if (serial) name += "-" + std::to_string(serial);
  name += kSuffix;
  return (p.parent_path() / name).string();
}

void RegisterTempFile(const std::string &path) { Register(path, -1); }

void UnregisterTempFile(const std::string &path) {
  for (std::size_t i = 0; i < kSlots; ++i)
    if (gUsed[i].load() && gSeriesCount[i].load() < 0 && path == gPaths[i].data()) gUsed[i].store(false);
}

int RegisterTempSeries(const std::string &path) {
  std::string stem = TempNameBeside(path);
  stem.resize(stem.size() - (sizeof kSuffix - 1));
  return Register(stem, 0);
}

void SetTempSeriesCount(int series, int count) {
  if (series >= 0) gSeriesCount[series].store(count);
}

void UnregisterTempSeries(int series) {
  if (series >= 0) gUsed[series].store(false);
}

void RemoveRegisteredTempFiles() {
  char name[kPathMax + 32];
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (!gUsed[i].load()) continue;
    const int count = gSeriesCount[i].load();
    if (count < 0) unlink(gPaths[i].data());
    for (int n = 1; n <= count; ++n) {
      SeriesName(gPaths[i].data(), n, name, sizeof name);
      if (name[0]) unlink(name);
    }
  }
}

void RemoveStaleTempFiles(const std::string &path) {
  const std::filesystem::path p(path);
  const std::string prefix = "." + p.filename().string() + kMark;
  std::error_code ec;
  const std::filesystem::path folder = p.parent_path().empty() ? "." : p.parent_path();
  for (std::filesystem::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec)) {
    const std::filesystem::path entry = it->path();
    const std::string name = entry.filename().string();
    if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + sizeof kSuffix ||
        name.compare(name.size() - (sizeof kSuffix - 1), std::string::npos, kSuffix) != 0)
      continue;
    // The writer's process id follows the mark; its file stays while it runs.
    char *end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || (*end != '.' && *end != '-')) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    std::filesystem::remove(entry, ignored);
  }
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
