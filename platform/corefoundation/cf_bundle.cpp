// Bundles: a folder X.bundle/Contents/ with Info.plist, the executable in
// Linux/ and the resources in Resources/. A created bundle stays known for
// the life of the process, as a loaded bundle does on the original platform;
// when two bundles share an identifier, the one created last is found.

#include "Folders.h"
#include "Resources.h"
#include "corefoundation/cf_object.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <vector>

namespace fs = std::filesystem;

struct __CFBundle final : zv::cf::Object {
  __CFBundle(std::string root, const std::map<std::string, std::string> &info) : root(std::move(root)) {
    for (const auto &[key, value] : info) values.emplace(key, zv::cf::MakeString(value));
  }
  ~__CFBundle() override {
    for (const auto &[key, value] : values) CFRelease(value);
  }
  CFStringRef Value(const std::string &key) const {
    const auto found = values.find(key);
    return found != values.end() ? found->second : nullptr;
  }
  const std::string &Text(const std::string &key) const { return zv::cf::Utf8Of(Value(key)); }

  const std::string root;
  std::map<std::string, CFStringRef> values;  // the text values of Info.plist
};

namespace {

// The text values of a property list's top-level dictionary; nothing when the
// file is missing or not a property list.
std::optional<std::map<std::string, std::string>> ReadInfoPlist(const fs::path &path) {
  pugi::xml_document document;
  if (!document.load_file(path.c_str())) return std::nullopt;
  const pugi::xml_node dict = document.child("plist").child("dict");
  if (!dict) return std::nullopt;
  std::map<std::string, std::string> values;
  for (pugi::xml_node key = dict.child("key"); key; key = key.next_sibling("key")) {
    const pugi::xml_node value = key.next_sibling();
    if (value && std::string_view(value.name()) == "string") values[key.text().get()] = value.text().get();
  }
  return values;
}

// One name, or a relative path, that stays inside the folder it is joined to.
bool StaysInside(const fs::path &relative) {
  if (relative.empty() || relative.is_absolute()) return false;
  return std::none_of(relative.begin(), relative.end(), [](const fs::path &step) { return step == ".."; });
}

class BundleRegistry {
 public:
  // The bundle already made for this folder, retained, or nullptr.
  CFBundleRef FindByRoot(const std::string &root) {
    std::lock_guard lock(mutex_);
    for (CFBundleRef bundle : all_) {
      if (bundle->root == root) {
        bundle->Retain();
        return bundle;
      }
    }
    return nullptr;
  }
  void Add(CFBundleRef bundle) {
    std::lock_guard lock(mutex_);
    bundle->Retain();
    all_.push_back(bundle);
  }
  CFBundleRef FindByIdentifier(const std::string &identifier) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(all_.rbegin(), all_.rend(), [&](CFBundleRef bundle) {
      return !identifier.empty() && bundle->Text("CFBundleIdentifier") == identifier;
    });
    return found != all_.rend() ? *found : nullptr;
  }

 private:
  std::mutex mutex_;
  std::vector<CFBundleRef> all_;  // one reference each, never given up
};

BundleRegistry &Bundles() {
  static auto *registry = new BundleRegistry;
  return *registry;
}

fs::path Contents(CFBundleRef bundle) { return fs::path(bundle->root) / "Contents"; }

}  // namespace

extern "C" {

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  const std::string &root = zv::cf::PathOf(bundleURL);
  if (root.empty()) return nullptr;
  if (CFBundleRef known = Bundles().FindByRoot(root)) return known;
  const auto info = ReadInfoPlist(fs::path(root) / "Contents" / "Info.plist");
  if (!info) return nullptr;
  auto *bundle = new __CFBundle(root, *info);
  Bundles().Add(bundle);
  return bundle;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  return Bundles().FindByIdentifier(zv::cf::Utf8Of(bundleID));
}

// Whether the file is there is the loader's question, not this one's.
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  if (bundle == nullptr) return nullptr;
  const std::string &name = bundle->Text("CFBundleExecutable");
  if (name.empty() || name.find('/') != std::string::npos) return nullptr;
  return zv::cf::MakeFileURL(Contents(bundle) / "Linux" / (name + ".so"), false);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
  if (bundle == nullptr || resourceName == nullptr) return nullptr;
  std::string fileName = zv::cf::Utf8Of(resourceName);
  if (const std::string &type = zv::cf::Utf8Of(resourceType); !type.empty()) fileName += "." + type;
  const fs::path relative = fs::path(zv::cf::Utf8Of(subDirName)) / fileName;
  if (!StaysInside(relative)) return nullptr;
  const fs::path path = Contents(bundle) / "Resources" / relative;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return nullptr;
  return zv::cf::MakeFileURL(path, fs::is_directory(status));
}

CFBundleRefNum CFBundleOpenBundleResourceMap(CFBundleRef bundle) {
  if (bundle == nullptr) return -1;
  const std::string &name = bundle->Text("CFBundleExecutable");
  if (name.empty() || name.find('/') != std::string::npos) return -1;
  FSSpec fileSpec;
  if (zv::FSSpecOfPath(Contents(bundle) / "Resources" / (name + ".rsrc"), &fileSpec) != noErr) return -1;
  return FSpOpenResFile(&fileSpec, fsRdPerm);
}

void CFBundleCloseBundleResourceMap(CFBundleRef, CFBundleRefNum refNum) { CloseResFile(refNum); }

}  // extern "C"
