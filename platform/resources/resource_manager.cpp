// Resource Manager over resource files kept in ordinary files.
//
// A file is read whole when it is opened and written whole, all-or-nothing,
// when it is updated or closed with changes. A file whose bytes do not hold a
// sound resource map, or that is too large to be one this system wrote, is
// damaged: opened for reading it fails, so a reader can tell it from a file
// without the resource; opened for writing it opens with no resources, so
// that the next update replaces it with a good one. A file opened for writing
// holds its folder locked until it is closed, so writers of other processes
// take turns and each reads what the last one wrote. Departures from the
// original, on purpose: AddResource refuses a type and id the file already
// holds (the original added a second one that hid the first); a file opened
// read-only refuses additions and removals at once rather than failing at the
// update; files still open when the process ends are not written; a file that
// does not exist yet opens for writing and first appears, whole, at its first
// update (never empty); through a symbolic link the file it points to is
// replaced and the link stays.

#include "Resources.h"
#include "MacMemory.h"
#include "files/file_io.h"
#include "resources/resource_file_format.h"

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using zv::rsrc::Resource;

// Files larger than this are not resource files this system wrote (its own
// are a few KiB), and are not read at all.
constexpr std::size_t kLargestFileBytes = 1u << 20;

struct Entry {
  Resource stored;          // as on disk
  Handle handle = nullptr;  // loaded copy, owned by the Resource Manager
  bool added = false;       // the handle's contents are to be written
};

struct OpenFile {
  short refNum = 0;
  std::string path;
  bool writable = false;
  bool dirty = false;
  bool isNew = false;        // not on disk when opened
  bool putDown = false;      // a new file this session has written
  std::string lockedFolder;  // held while open for writing
  std::uint16_t attributes = 0;
  std::vector<Entry> entries;
};

std::span<const std::uint8_t> BytesOf(Handle h) {
  return {reinterpret_cast<const std::uint8_t *>(*h), static_cast<std::size_t>(GetHandleSize(h))};
}

// A link is replaced by the absolute path of the file it points to; a link to
// nothing is fnfErr, like a missing file.
OSErr FollowLink(std::string &path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return noErr;
  char *target = ::realpath(path.c_str(), nullptr);
  if (target == nullptr) return errno == ENOENT ? OSErr{fnfErr} : zv::OSErrFromErrno(errno);
  path = target;
  std::free(target);
  return noErr;
}

class ResourceManager {
 public:
  OSErr Result(OSErr err) { return lastError_ = err; }
  short Failed(OSErr err) {
    Result(err);
    return -1;
  }
  OSErr LastError() const { return lastError_; }
  short Current() const { return current_; }

  OSErr CreateFile(const FSSpec &fileSpec) {
    const std::string path = zv::PathOfFSSpec(fileSpec);
    if (path.empty()) return Result(dirNFErr);
    std::vector<std::uint8_t> empty;
    zv::rsrc::SerialiseResourceFile({}, empty);
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    if (OSErr err = zv::LockFolder(folder)) return Result(err);
    const OSErr err = zv::ReplaceFile(path, empty, /*mustBeNew=*/true);
    zv::UnlockFolder(folder);
    return Result(err);
  }

  short Open(const FSSpec &fileSpec, SInt8 permission) {
    std::string path = zv::PathOfFSSpec(fileSpec);
    if (path.empty()) return Failed(dirNFErr);
    // Through a link, the file it points to is read and replaced; the link stays.
    if (OSErr err = FollowLink(path)) return Failed(err);
    if (OpenFile *open = FindByPath(path)) {
      current_ = open->refNum;
      Result(noErr);
      return open->refNum;
    }
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const bool exists = ::access(path.c_str(), F_OK) == 0;
    int denied = 0;  // why the file cannot be replaced: errno of the file, then of its folder
    if ((exists && ::access(path.c_str(), W_OK) != 0) || ::access(folder.c_str(), W_OK) != 0) denied = errno;
    const bool wantsWrite = permission == fsWrPerm || permission == fsRdWrPerm;
    if (wantsWrite && denied != 0) return Failed(zv::OSErrFromErrno(denied));
    const bool writable = permission != fsRdPerm && denied == 0;
    // A writer reads the file only once it has the folder to itself, so what it
    // replaces is what it saw.
    if (writable) {
      if (OSErr err = zv::LockFolder(folder)) return Failed(err);
    }
    auto file = std::make_unique<OpenFile>();
    file->path = path;
    file->writable = writable;
    file->lockedFolder = writable ? folder : std::string();
    std::vector<std::uint8_t> bytes;
    const OSErr read = zv::ReadWholeFile(path, kLargestFileBytes, bytes);
    // A writer may open a file that is not there yet: it appears, whole, at the first update.
    file->isNew = read == fnfErr && writable;
    OSErr failure = read == noErr || read == fsDataTooBigErr || file->isNew ? OSErr{noErr} : read;
    auto image = read == noErr ? zv::rsrc::ParseResourceFile(bytes) : std::nullopt;
    if (failure == noErr && !image && !writable) failure = mapReadErr;
    if (failure != noErr) {
      if (writable) zv::UnlockFolder(folder);
      return Failed(failure);
    }
    file->refNum = UnusedRefNum();
    if (image) {
      file->attributes = image->attributes;
      for (Resource &resource : image->resources) file->entries.push_back({std::move(resource)});
    }
    current_ = file->refNum;
    chain_.push_back(std::move(file));
    Result(noErr);
    return current_;
  }

  OSErr Use(short refNum) {
    if (Find(refNum) == chain_.end()) return Result(resFNotFound);
    current_ = refNum;
    return Result(noErr);
  }

  OSErr Update(short refNum) {
    auto file = Find(refNum);
    if (file == chain_.end()) return Result(resFNotFound);
    return Result(Write(**file));
  }

  OSErr Close(short refNum) {
    auto file = Find(refNum);
    if (file == chain_.end()) return Result(resFNotFound);
    const OSErr err = Write(**file);
    for (Entry &entry : (*file)->entries) DisposeHandle(entry.handle);
    if (!(*file)->lockedFolder.empty()) zv::UnlockFolder((*file)->lockedFolder);
    const auto below = file - chain_.begin();
    chain_.erase(file);
    if (current_ == refNum) {
      // The next file down takes over; with none below, the newest.
      if (chain_.empty()) {
        current_ = 0;
      } else {
        current_ = chain_[below > 0 ? below - 1 : chain_.size() - 1]->refNum;
      }
    }
    return Result(err);
  }

  // From the current file only.
  Handle Get(ResType type, short id) {
    Entry *entry = Lookup(type, id, true);
    if (entry == nullptr) {
      Result(resNotFound);
      return nullptr;
    }
    if (entry->handle == nullptr) {
      const auto &data = entry->stored.data;
      entry->handle = NewHandle(static_cast<Size>(data.size()));
      if (entry->handle == nullptr) {
        Result(memFullErr);
        return nullptr;
      }
      if (!data.empty()) std::memcpy(*entry->handle, data.data(), data.size());
    }
    Result(noErr);
    return entry->handle;
  }

  // Release disposes of the handle; Detach hands it to the caller.
  OSErr LetGo(Handle h, bool dispose) {
    auto [file, entry] = Owner(h);
    if (entry == nullptr) return Result(resNotFound);
    if (entry->added) return Result(resAttrErr);  // its contents are not on disk yet
    if (dispose) DisposeHandle(h);
    entry->handle = nullptr;
    return Result(noErr);
  }

  OSErr Add(Handle h, ResType type, short id, ConstStr255Param name) {
    OpenFile *file = CurrentFile();
    if (file == nullptr || !file->writable || h == nullptr || Owner(h).entry != nullptr) {
      return Result(addResFailed);
    }
    GetHandleSize(h);
    if (MemError() != noErr) return Result(addResFailed);
    if (Lookup(type, id, true) != nullptr) return Result(addResFailed);
    Entry entry{{type, id, std::nullopt, 0, {}}, h, true};
    if (name != nullptr && name[0] > 0) entry.stored.name.emplace(reinterpret_cast<const char *>(name + 1), name[0]);
    file->entries.push_back(std::move(entry));
    file->dirty = true;
    return Result(noErr);
  }

  OSErr Remove(Handle h) {
    auto [file, entry] = Owner(h);
    if (entry == nullptr || file->refNum != current_ || !file->writable) return Result(rmvResFailed);
    file->entries.erase(file->entries.begin() + (entry - file->entries.data()));
    file->dirty = true;
    return Result(noErr);
  }

  // Item index of the string list through the chain; empty when missing.
  std::string IndexedString(short listID, short index) {
    Entry *entry = Lookup(zv::rsrc::kStringListType, listID, false);
    Result(entry != nullptr ? noErr : resNotFound);
    if (entry == nullptr) return {};
    const auto data = entry->handle != nullptr ? BytesOf(entry->handle) : std::span<const std::uint8_t>(entry->stored.data);
    return zv::rsrc::StringListItem(data, index).value_or(std::string());
  }

 private:
  using Chain = std::vector<std::unique_ptr<OpenFile>>;  // oldest first

  Chain::iterator Find(short refNum) {
    return std::find_if(chain_.begin(), chain_.end(), [&](const auto &f) { return f->refNum == refNum; });
  }
  OpenFile *FindByPath(const std::string &path) {
    auto found = std::find_if(chain_.begin(), chain_.end(), [&](const auto &f) { return f->path == path; });
    return found == chain_.end() ? nullptr : found->get();
  }
  OpenFile *CurrentFile() {
    auto found = Find(current_);
    return found == chain_.end() ? nullptr : found->get();
  }
  short UnusedRefNum() const {
    short refNum = 1;
    while (std::any_of(chain_.begin(), chain_.end(), [&](const auto &f) { return f->refNum == refNum; })) ++refNum;
    return refNum;
  }

  // From the current file down the chain, or the current file alone.
  Entry *Lookup(ResType type, short id, bool currentFileOnly) {
    auto file = Find(current_);
    if (file == chain_.end()) return nullptr;
    for (auto it = std::make_reverse_iterator(file + 1); it != chain_.rend(); ++it) {
      for (Entry &entry : (*it)->entries) {
        if (entry.stored.type == type && entry.stored.id == id) return &entry;
      }
      if (currentFileOnly) break;
    }
    return nullptr;
  }

  struct Owned {
    OpenFile *file;
    Entry *entry;
  };
  Owned Owner(Handle h) {
    if (h == nullptr) return {nullptr, nullptr};
    for (auto &file : chain_) {
      for (Entry &entry : file->entries) {
        if (entry.handle == h) return {file.get(), &entry};
      }
    }
    return {nullptr, nullptr};
  }

  // Writes the file if it has changes; nothing changes in memory on failure.
  OSErr Write(OpenFile &file) {
    if (!file.dirty) return noErr;
    if (file.isNew && file.entries.empty()) {
      // A new file left without resources is no file: others never see it empty.
      if (file.putDown && ::unlink(file.path.c_str()) != 0) return zv::OSErrFromErrno(errno);
      file.putDown = false;
      file.dirty = false;
      return noErr;
    }
    zv::rsrc::ResourceFile image{file.attributes, {}};
    for (const Entry &entry : file.entries) {
      image.resources.push_back(entry.stored);
      if (entry.added) {
        const auto data = BytesOf(entry.handle);
        image.resources.back().data.assign(data.begin(), data.end());
      }
    }
    std::vector<std::uint8_t> bytes;
    if (!zv::rsrc::SerialiseResourceFile(image, bytes)) return addResFailed;
    const OSErr err = zv::ReplaceFile(file.path, bytes);
    file.putDown = file.putDown || (file.isNew && ::access(file.path.c_str(), F_OK) == 0);
    if (err != noErr) return err;
    for (std::size_t i = 0; i < file.entries.size(); ++i) {
      file.entries[i].stored.data = std::move(image.resources[i].data);
      file.entries[i].added = false;
    }
    file.dirty = false;
    return noErr;
  }

  Chain chain_;
  short current_ = 0;
  OSErr lastError_ = noErr;
};

// Lives as long as the process: handles may be released during exit.
ResourceManager &Manager() {
  static auto *manager = new ResourceManager;
  return *manager;
}

}  // namespace

extern "C" {

void FSpCreateResFile(const FSSpec *fileSpec, OSType, OSType, ScriptCode) {
  // No Finder information on this platform: creator, type and script are dropped.
  if (fileSpec == nullptr) {
    Manager().Result(paramErr);
    return;
  }
  Manager().CreateFile(*fileSpec);
}

short FSpOpenResFile(const FSSpec *fileSpec, SInt8 permission) {
  if (fileSpec == nullptr) return Manager().Failed(paramErr);
  return Manager().Open(*fileSpec, permission);
}

void UseResFile(short refNum) { Manager().Use(refNum); }
short CurResFile(void) { return Manager().Current(); }
OSErr ResError(void) { return Manager().LastError(); }
void CloseResFile(short refNum) { Manager().Close(refNum); }
void UpdateResFile(short refNum) { Manager().Update(refNum); }

Handle Get1Resource(ResType theType, short theID) { return Manager().Get(theType, theID); }
void ReleaseResource(Handle theResource) { Manager().LetGo(theResource, true); }
void DetachResource(Handle theResource) { Manager().LetGo(theResource, false); }
void AddResource(Handle theData, ResType theType, short theID, ConstStr255Param name) {
  Manager().Add(theData, theType, theID, name);
}
void RemoveResource(Handle theResource) { Manager().Remove(theResource); }

void GetIndString(Str255 theString, short strListID, short index) {
  const std::string item = Manager().IndexedString(strListID, index);
  if (theString == nullptr) return;
  theString[0] = static_cast<unsigned char>(item.size());
  std::memcpy(theString + 1, item.data(), item.size());
}

}  // extern "C"
