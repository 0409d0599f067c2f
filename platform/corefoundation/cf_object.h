// Core Foundation internals: the reference-counted base every CF object
// shares, and the objects other platform services read directly.
#ifndef ZV_PLATFORM_CF_OBJECT_H
#define ZV_PLATFORM_CF_OBJECT_H

#include "CoreFoundation.h"

#include <atomic>
#include <string>

namespace zv::cf {

class Object {
 public:
  Object() = default;
  Object(const Object &) = delete;
  Object &operator=(const Object &) = delete;
  virtual ~Object() = default;

  void Retain() const {
    if (!immortal_) refs_.fetch_add(1, std::memory_order_relaxed);
  }
  void Release() const {
    if (!immortal_ && refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  // For objects that live as long as the process (constant strings).
  void MakeImmortal() { immortal_ = true; }

 private:
  mutable std::atomic<long> refs_{1};
  bool immortal_ = false;
};

// Text as UTF-8 (empty for NULL).
const std::string &Utf8Of(CFStringRef string);
CFStringRef MakeString(std::string utf8);

// An absolute path (empty for NULL).
const std::string &PathOf(CFURLRef url);
CFURLRef MakeFileURL(std::string path, bool isDirectory);

}  // namespace zv::cf

struct __CFString final : zv::cf::Object {
  explicit __CFString(std::string text) : utf8(std::move(text)) {}
  const std::string utf8;
};

struct __CFURL final : zv::cf::Object {
  __CFURL(std::string p, bool directory) : path(std::move(p)), isDirectory(directory) {}
  const std::string path;
  const bool isDirectory;
};

#endif
