#include "BundleLoader.h"

#include <stdexcept>

namespace zv::test {

BundleLoader::BundleLoader(const std::string &bundlePath) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(bundlePath.c_str()),
      static_cast<CFIndex>(bundlePath.size()), true);
  bundle_ = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (!bundle_) throw std::runtime_error(bundlePath + ": not a bundle");
  resources_ = CFBundleOpenBundleResourceMap(bundle_);
  if (resources_ == -1) throw std::runtime_error(bundlePath + ": resources cannot be opened");
}

BundleLoader::~BundleLoader() {
  if (resources_ != -1) CFBundleCloseBundleResourceMap(bundle_, resources_);
  if (bundle_) CFRelease(bundle_);
}

}  // namespace zv::test
