#include "BundleLoader.h"

#include <dlfcn.h>

#include <stdexcept>

namespace zv::test {

std::string BuiltBundlePath() { return ZORVANE_TEST_BUNDLE_PATH; }

BundleLoader::BundleLoader(const std::string &bundlePath, bool loadExecutable) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(bundlePath.c_str()),
      static_cast<CFIndex>(bundlePath.size()), true);
  bundle_ = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (!bundle_) throw std::runtime_error(bundlePath + ": not a bundle");
  resources_ = CFBundleOpenBundleResourceMap(bundle_);
  if (resources_ == -1) throw std::runtime_error(bundlePath + ": resources cannot be opened");
  if (!loadExecutable) return;

  CFURLRef exe = CFBundleCopyExecutableURL(bundle_);
  char path[4096] = {};
  const bool named = exe && CFURLGetFileSystemRepresentation(exe, true, reinterpret_cast<UInt8 *>(path), sizeof path);
  if (exe) CFRelease(exe);
  if (!named) throw std::runtime_error(bundlePath + ": no executable");
  library_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!library_) throw std::runtime_error(std::string(path) + ": " + dlerror());
  entry_ = reinterpret_cast<PluginMainProc>(dlsym(library_, "main"));
  if (!entry_) throw std::runtime_error(std::string(path) + ": no entry point main");
}

BundleLoader::~BundleLoader() {
  // The plug-in keeps state for the life of the process, as under a real host:
  // the library stays loaded.
  if (resources_ != -1) CFBundleCloseBundleResourceMap(bundle_, resources_);
  if (bundle_) CFRelease(bundle_);
}

}  // namespace zv::test
