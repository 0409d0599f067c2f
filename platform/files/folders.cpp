// Folder Manager and FSSpecs. There is one volume; folders are known by
// directory ids handed out from a process-wide table of absolute paths.

#include "Folders.h"
#include "files/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr short kTheVolume = -1;
constexpr long kFirstDirID = 2;  // the root's id on the original platform
constexpr std::size_t kLongestFileName = 63;

class FolderTable {
 public:
  long IdOf(const std::string &path) {
    std::lock_guard lock(mutex_);
    auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found == paths_.end()) found = paths_.insert(paths_.end(), path);
    return kFirstDirID + (found - paths_.begin());
  }
  // Empty when the id was never handed out.
  std::string PathOf(long dirID) {
    std::lock_guard lock(mutex_);
    const long index = dirID - kFirstDirID;
    if (index < 0 || index >= static_cast<long>(paths_.size())) return {};
    return paths_[static_cast<std::size_t>(index)];
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> paths_{"/"};
};

// Lives as long as the process, like the ids it hands out.
FolderTable &Folders() {
  static auto *table = new FolderTable;
  return *table;
}

std::string_view NameOf(ConstStr255Param pascal) {
  return {reinterpret_cast<const char *>(pascal + 1), pascal[0]};
}

bool IsGoodFileName(std::string_view name) {
  return !name.empty() && name.size() <= kLongestFileName && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// Absolute and without "." or ".." steps or a trailing slash.
std::string NormalPath(const fs::path &path) {
  std::error_code ignored;
  std::string text = fs::absolute(path, ignored).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// XDG_CONFIG_HOME counts only when absolute; otherwise ~/.config.
std::string PreferencesPath() {
  const char *config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return NormalPath(config);
  const char *home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd *user = ::getpwuid(::getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return {};
  return NormalPath(fs::path(home) / ".config");
}

}  // namespace

extern "C" {

OSErr FindFolder(short vRefNum, OSType folderType, Boolean createFolder, short *foundVRefNum, long *foundDirID) {
  (void)vRefNum;       // one volume
  (void)createFolder;  // the Preferences folder always exists on the original platform
  if (foundVRefNum == nullptr || foundDirID == nullptr) return paramErr;
  if (folderType != kPreferencesFolderType) return fnfErr;
  const std::string path = PreferencesPath();
  if (path.empty()) return fnfErr;
  std::error_code created;
  std::error_code ignored;
  fs::create_directories(path, created);
  if (!fs::is_directory(path, ignored)) {
    if (fs::exists(path, ignored)) return dirNFErr;  // something else has the name
    return created ? zv::OSErrFromErrno(created.value()) : OSErr{ioErr};
  }
  *foundVRefNum = kTheVolume;
  *foundDirID = Folders().IdOf(path);
  return noErr;
}

OSErr FSMakeFSSpec(short vRefNum, long dirID, ConstStr255Param fileName, FSSpec *fileSpec) {
  (void)vRefNum;
  if (fileName == nullptr || fileSpec == nullptr) return paramErr;
  const std::string_view name = NameOf(fileName);
  if (!IsGoodFileName(name)) return bdNamErr;
  const std::string folder = Folders().PathOf(dirID);
  if (folder.empty()) return dirNFErr;
  fileSpec->vRefNum = kTheVolume;
  fileSpec->parID = dirID;
  fileSpec->name[0] = static_cast<unsigned char>(name.size());
  std::memcpy(fileSpec->name + 1, name.data(), name.size());
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return dirNFErr;
  const std::string path = (folder == "/" ? "" : folder) + "/" + std::string(name);
  return ::lstat(path.c_str(), &info) == 0 ? noErr : fnfErr;
}

}  // extern "C"

namespace zv {

std::string PathOfFSSpec(const FSSpec &fileSpec) {
  const std::string folder = Folders().PathOf(fileSpec.parID);
  const std::string_view name = NameOf(fileSpec.name);
  if (folder.empty() || !IsGoodFileName(name)) return {};
  return (folder == "/" ? "" : folder) + "/" + std::string(name);
}

OSErr FSSpecOfPath(const std::string &path, FSSpec *fileSpec) {
  if (fileSpec == nullptr || path.empty()) return paramErr;
  const std::string full = NormalPath(path);
  const auto slash = full.rfind('/');
  const std::string name = full.substr(slash + 1);
  if (!IsGoodFileName(name)) return bdNamErr;
  const std::string folder = slash == 0 ? "/" : full.substr(0, slash);
  Str255 pascal;
  pascal[0] = static_cast<unsigned char>(name.size());
  std::memcpy(pascal + 1, name.data(), name.size());
  return FSMakeFSSpec(kTheVolume, Folders().IdOf(folder), pascal, fileSpec);
}

// File references name entries of a table, so paths of any length fit in
// the reference's fixed size.
namespace {
constexpr UInt32 kFSRefMagic = 0x7A765246;  // marks a reference made here
std::vector<std::string> &FSRefPaths() {
  static std::vector<std::string> paths;
  return paths;
}
}  // namespace

void FSRefOfPath(const std::string &path, FSRef *ref) {
  auto &paths = FSRefPaths();
  auto it = std::find(paths.begin(), paths.end(), path);
  const UInt32 index = static_cast<UInt32>(it - paths.begin());
  if (it == paths.end()) paths.push_back(path);
  std::memset(ref->hidden, 0, sizeof ref->hidden);
  std::memcpy(ref->hidden, &kFSRefMagic, 4);
  std::memcpy(ref->hidden + 4, &index, 4);
}

std::string PathOfFSRef(const FSRef &ref) {
  UInt32 magic, index;
  std::memcpy(&magic, ref.hidden, 4);
  std::memcpy(&index, ref.hidden + 4, 4);
  const auto &paths = FSRefPaths();
  if (magic != kFSRefMagic || index >= paths.size()) return {};
  return paths[index];
}

}  // namespace zv
