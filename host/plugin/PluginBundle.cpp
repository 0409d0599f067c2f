#include "plugin/PluginBundle.h"

#include <CoreFoundation.h>
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "Failure.h"

namespace zv::host {

namespace fs = std::filesystem;

namespace {

fs::path ProgramDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : exe.parent_path();
}

std::string PathOfUrl(CFURLRef url) {
  UInt8 buffer[4096] = {};
  if (!url || !CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer)) return "";
  return reinterpret_cast<const char *>(buffer);
}

}  // namespace

std::string FindBundle(const std::string &requested) {
  if (!requested.empty()) return requested;
  const fs::path dir = ProgramDir();
  const fs::path beside = dir / "Zorvane.bundle";
  const fs::path installed = dir / ".." / "lib" / "zorvane" / "Zorvane.bundle";
  std::error_code ec;
  if (fs::is_directory(beside, ec)) return beside.string();
  if (fs::is_directory(installed, ec)) return installed.lexically_normal().string();
  throw Failure("no plug-in bundle: neither " + beside.string() + " nor " + installed.lexically_normal().string() +
                " exists (name one with --plugin)");
}

PluginBundle::PluginBundle(const std::string &bundlePath) : path_(bundlePath) {
  std::error_code ec;
  if (!fs::exists(bundlePath, ec)) throw Failure(bundlePath + ": no such bundle");
  if (!fs::is_directory(bundlePath, ec)) throw Failure(bundlePath + ": not a bundle (not a folder)");

  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8 *>(bundlePath.c_str()),
      static_cast<CFIndex>(bundlePath.size()), true);
  if (!url) throw Failure(bundlePath + ": cannot make a URL of the path");
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  CFRelease(url);
  if (!bundle) throw Failure(bundlePath + ": not a bundle (Contents/Info.plist missing or unreadable)");

  CFURLRef exeUrl = CFBundleCopyExecutableURL(bundle);
  const std::string exe = PathOfUrl(exeUrl);
  if (exeUrl) CFRelease(exeUrl);
  if (exe.empty()) throw Failure(bundlePath + ": the bundle names no executable");
  if (!fs::exists(exe, ec)) throw Failure(exe + ": the bundle's executable is missing");

  void *library = dlopen(exe.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char *why = dlerror();
    throw Failure(exe + ": cannot load: " + (why ? why : "unknown reason"));
  }
  dlerror();
  void *symbol = dlsym(library, "main");
  const char *why = dlerror();
  if (why || !symbol) {
    dlclose(library);
    throw Failure(exe + ": exports no \"main\" entry point");
  }
  if (CFBundleOpenBundleResourceMap(bundle) == -1) {
    dlclose(library);
    throw Failure(bundlePath + ": cannot open the bundle's resource file");
  }
  entry_ = reinterpret_cast<PluginMainProc>(symbol);
  // The bundle object and the library stay for the life of the process.
}

}  // namespace zv::host
