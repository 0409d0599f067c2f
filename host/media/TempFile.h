// Output is written under a temporary name beside its final one and renamed
// into place when complete, so a failed or interrupted write never leaves a
// partial file under the output's name nor destroys a file already there.
#pragma once

#include <string>

namespace zv::media {

// A hidden name in the same folder as path, unique to this process.
std::string TempNameBeside(const std::string &path, int serial = 0);

// Temporary files in the making, so a signal handler can remove them.
// Register/Unregister are not signal-safe; RemoveRegisteredTempFiles is.
void RegisterTempFile(const std::string &path);
void UnregisterTempFile(const std::string &path);
void RemoveRegisteredTempFiles();

// A numbered series TempNameBeside(path, 1) .. (path, count), registered once
// so a signal can remove any number of them. Returns a handle for the others.
int RegisterTempSeries(const std::string &path);
void SetTempSeriesCount(int series, int count);
void UnregisterTempSeries(int series);

// Removes the temporary files of path left by processes that no longer run
// (a render killed outright); those of live processes stay.
void RemoveStaleTempFiles(const std::string &path);

// Renames from over to; throws MediaError naming the reason.
void RenameInto(const std::string &from, const std::string &to);

// Writes bytes to path through a temporary file.
void WriteFileAtomically(const std::string &path, const void *data, std::size_t size);

}  // namespace zv::media
