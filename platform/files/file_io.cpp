// Whole-file reads and all-or-nothing replacement.

#include "files/file_io.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zv {
namespace {

WriteFaultHook &FaultHook() {
  static WriteFaultHook hook;
  return hook;
}

int InjectedError(WriteStep step) {
  const WriteFaultHook &hook = FaultHook();
  return hook ? hook(step) : 0;
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports the result: a late write error shows up here.
  int close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

std::string FolderOf(const std::string &path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryNameFor(const std::string &path) {
  static std::atomic<unsigned> counter{0};
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    if (int injected = InjectedError(WriteStep::Write)) return injected;
    const std::size_t chunk = bytes.size() < kWriteChunkBytes ? bytes.size() : kWriteChunkBytes;
    const ssize_t written = ::write(fd, bytes.data(), chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return 0;
}

// Writes and flushes the temporary file; an errno on failure.
int WriteTemporary(const std::string &tempPath, std::span<const std::uint8_t> bytes, mode_t mode) {
  if (int injected = InjectedError(WriteStep::Open)) return injected;
  FileDescriptor fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) return errno;
  if (mode != 0 && ::fchmod(fd.get(), mode) != 0) return errno;
  if (int error = WriteAll(fd.get(), bytes)) return error;
  if (int injected = InjectedError(WriteStep::Sync)) return injected;
  if (::fsync(fd.get()) != 0) return errno;
  return fd.close();
}

int RenameInto(const std::string &tempPath, const std::string &path, bool mustBeNew) {
  if (int injected = InjectedError(WriteStep::Rename)) return injected;
  if (!mustBeNew) return ::rename(tempPath.c_str(), path.c_str()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without no-replace renames: a hard link refuses to replace too.
  if (::link(tempPath.c_str(), path.c_str()) != 0) return errno;
  ::unlink(tempPath.c_str());
  return 0;
}

int SyncFolder(const std::string &folder) {
  if (int injected = InjectedError(WriteStep::SyncFolder)) return injected;
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return errno;
  return ::fsync(fd.get()) == 0 ? 0 : errno;
}

// Folders this process holds locked: the descriptor that holds the lock and
// how many holders share it.
struct HeldLock {
  int fd = -1;
  int holders = 0;
};
std::mutex gLocksMutex;
std::map<std::string, HeldLock> &HeldLocks() {
  static auto *locks = new std::map<std::string, HeldLock>;
  return *locks;
}
constexpr auto kLockPatience = std::chrono::seconds(10);

}  // namespace

OSErr LockFolder(const std::string &folder) {
  std::lock_guard guard(gLocksMutex);
  HeldLock &held = HeldLocks()[folder];
  if (held.holders > 0) {
    ++held.holders;
    return noErr;
  }
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  OSErr err = fd.valid() ? OSErr{fBsyErr} : OSErrFromErrno(errno);
  // Polled rather than waited for, so a stopped holder costs a message, not a hang.
  const auto giveUp = std::chrono::steady_clock::now() + kLockPatience;
  while (fd.valid()) {
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      held = {::dup(fd.get()), 1};
      err = held.fd >= 0 ? OSErr{noErr} : OSErrFromErrno(errno);
      break;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      err = OSErrFromErrno(errno);
      break;
    }
    if (std::chrono::steady_clock::now() > giveUp) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (err != noErr) HeldLocks().erase(folder);
  return err;
}

void UnlockFolder(const std::string &folder) {
  std::lock_guard guard(gLocksMutex);
  auto held = HeldLocks().find(folder);
  if (held == HeldLocks().end() || --held->second.holders > 0) return;
  ::close(held->second.fd);  // lets the lock go
  HeldLocks().erase(held);
}

void SetWriteFaultHook(WriteFaultHook hook) { FaultHook() = std::move(hook); }

OSErr OSErrFromErrno(int error) {
  switch (error) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case EEXIST: return dupFNErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return vLckdErr;
    case EISDIR: return notAFileErr;
    case ENAMETOOLONG: return bdNamErr;
    case ENOTDIR: return dirNFErr;
    default: return ioErr;
  }
}

OSErr ReadWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &bytes) {
  bytes.clear();
  // A FIFO or a device would block the open or the reads: only a regular file
  // is opened, and without waiting, in case one is swapped in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return OSErrFromErrno(errno);
  if (!S_ISREG(info.st_mode)) return notAFileErr;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) return OSErrFromErrno(errno);
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return notAFileErr;
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) return fsDataTooBigErr;
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      bytes.clear();
      return got == 0 ? eofErr : ioErr;
    }
    done += static_cast<std::size_t>(got);
  }
  return noErr;
}

OSErr ReplaceFile(const std::string &path, std::span<const std::uint8_t> bytes, bool mustBeNew) {
  // The new file keeps the permissions of the one it replaces.
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && mustBeNew) return dupFNErr;
  const mode_t mode = exists ? (old.st_mode & 07777) : 0;

  // A name left behind by a crashed process of the same id is skipped.
  std::string tempPath;
  int error = EEXIST;
  for (int attempt = 0; attempt < 8 && error == EEXIST; ++attempt) {
    tempPath = TemporaryNameFor(path);
    error = WriteTemporary(tempPath, bytes, mode);
  }
  if (error == EEXIST) tempPath.clear();  // not ours to remove
  if (error == 0) error = RenameInto(tempPath, path, mustBeNew);
  if (error != 0) {
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    return OSErrFromErrno(error);
  }
  // The new contents are in place; only their survival of a power cut is in doubt.
  return OSErrFromErrno(SyncFolder(FolderOf(path)));
}

}  // namespace zv
