// Whole-file reads and all-or-nothing file replacement, with a test hook that
// makes any step of a replacement fail.
#ifndef ZV_PLATFORM_FILE_IO_H
#define ZV_PLATFORM_FILE_IO_H

#include "MacTypes.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zv {

// The steps of a replacement, in the order they happen.
enum class WriteStep { Open, Write, Sync, Rename, SyncFolder };

// Called before each step; a non-zero errno makes that step fail as if the
// system had returned it. Writes go out in chunks of kWriteChunkBytes, one
// Write step each. Pass an empty hook to turn it off.
using WriteFaultHook = std::function<int(WriteStep step)>;
void SetWriteFaultHook(WriteFaultHook hook);
inline constexpr std::size_t kWriteChunkBytes = 64 * 1024;

// Reads a regular file of at most maxBytes, never waiting on a FIFO or device.
// fnfErr when missing, notAFileErr when not a regular file, fsDataTooBigErr
// when larger than maxBytes (nothing is read), ioErr or permErr when unreadable.
OSErr ReadWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &bytes);

// Writes bytes to a temporary file beside path, flushes it, renames it over
// path and flushes the folder, so path holds either its old or its new
// contents whole at every moment. With mustBeNew the rename refuses to replace
// an existing file (dupFNErr). On failure path is untouched.
OSErr ReplaceFile(const std::string &path, std::span<const std::uint8_t> bytes, bool mustBeNew = false);

// Writers of the files in one folder take turns: an exclusive lock on the
// folder, waited for up to a few seconds (fBsyErr after that), shared by every
// holder in this process and let go when the last one unlocks. Nothing is left
// in the folder.
OSErr LockFolder(const std::string &folder);
void UnlockFolder(const std::string &folder);

// The Mac result for a failed system call.
OSErr OSErrFromErrno(int error);

}  // namespace zv

#endif
