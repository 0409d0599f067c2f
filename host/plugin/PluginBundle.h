// Loading the plug-in bundle the way the video editor does: the bundle is made
// known to Core Foundation, its executable opened, "main" found and its
// resource file put into the resource chain. The bundle stays loaded for the
// life of the process (the plug-in keeps its master configuration there).
#pragma once

#include <HYPluginAPI.h>

#include <string>

namespace zv::host {

// --plugin, else Zorvane.bundle beside the program (build tree), else
// ../lib/zorvane/Zorvane.bundle from it (installed). Throws Failure naming
// the places looked at.
std::string FindBundle(const std::string &requested);

class PluginBundle {
 public:
  // Throws Failure naming the path and the reason.
  explicit PluginBundle(const std::string &bundlePath);
  PluginBundle(const PluginBundle &) = delete;
  PluginBundle &operator=(const PluginBundle &) = delete;

  PluginMainProc Entry() const { return entry_; }
  const std::string &Path() const { return path_; }

 private:
  std::string path_;
  PluginMainProc entry_ = nullptr;
};

}  // namespace zv::host
