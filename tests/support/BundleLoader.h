// Puts the built plug-in bundle's resources in the chain, as a host does when
// it loads the bundle. (Its executable is loaded by the host's own loader,
// tested end to end.)
#pragma once

#include <CoreFoundation.h>

#include <string>

namespace zv::test {

class BundleLoader {
 public:
  // Throws std::runtime_error naming the path and the reason.
  explicit BundleLoader(const std::string &bundlePath);
  ~BundleLoader();
  BundleLoader(const BundleLoader &) = delete;
  BundleLoader &operator=(const BundleLoader &) = delete;

 private:
  CFBundleRef bundle_ = nullptr;
  CFBundleRefNum resources_ = -1;
};

}  // namespace zv::test
