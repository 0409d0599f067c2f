// File URLs: an absolute path and whether it names a folder.

#include "corefoundation/cf_object.h"

#include <cstring>
#include <filesystem>

namespace zv::cf {

const std::string &PathOf(CFURLRef url) {
  static const std::string kEmpty;
  return url != nullptr ? url->path : kEmpty;
}

CFURLRef MakeFileURL(std::string path, bool isDirectory) {
  std::error_code ignored;
  path = std::filesystem::absolute(path, ignored).lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return new __CFURL(std::move(path), isDirectory);
}

}  // namespace zv::cf

extern "C" {

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8 *buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (buffer == nullptr || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char *>(buffer), static_cast<std::size_t>(bufLen));
  if (path.find('\0') != std::string::npos) return nullptr;
  return zv::cf::MakeFileURL(std::move(path), isDirectory);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8 *buffer, CFIndex maxBufLen) {
  if (url == nullptr || buffer == nullptr || static_cast<CFIndex>(url->path.size()) >= maxBufLen) return false;
  std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef *fsRef) {
  if (url == nullptr || fsRef == nullptr) return false;
  zv::FSRefOfPath(url->path, fsRef);
  return true;
}

}  // extern "C"
