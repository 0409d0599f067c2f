// Loads the built plug-in bundle the way a host does: registers the bundle,
// opens its executable, finds "main" and puts its resources in the chain.
#pragma once

#include <CoreFoundation.h>
#include <HYPluginAPI.h>

#include <string>

namespace zv::test {

class BundleLoader {
 public:
  // Throws std::runtime_error naming the path and the reason.
  explicit BundleLoader(const std::string &bundlePath, bool loadExecutable = true);
  ~BundleLoader();
  BundleLoader(const BundleLoader &) = delete;
  BundleLoader &operator=(const BundleLoader &) = delete;

  PluginMainProc Entry() const { return entry_; }

 private:
  CFBundleRef bundle_ = nullptr;
  CFBundleRefNum resources_ = -1;
  void *library_ = nullptr;
  PluginMainProc entry_ = nullptr;
};

// The bundle of this build.
std::string BuiltBundlePath();

}  // namespace zv::test
