// Points the Preferences folder at a fresh temporary folder, so tests never
// touch a person's stored configuration.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace zv::test {

class TempPreferences {
 public:
  // Races need a disk: /tmp may be a tmpfs, whose writes close their windows.
  explicit TempPreferences(const std::filesystem::path &base = std::filesystem::temp_directory_path()) {
    if (const char *old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    folder_ = (base / "zorvane-prefs-XXXXXX").string();
    if (!mkdtemp(folder_.data())) throw std::runtime_error("mkdtemp failed");
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  ~TempPreferences() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    saved_ ? setenv("XDG_CONFIG_HOME", saved_->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  }
  TempPreferences(const TempPreferences &) = delete;
  TempPreferences &operator=(const TempPreferences &) = delete;

  const std::string &Folder() const { return folder_; }
  std::string PrefsFile() const { return folder_ + "/tolvi-Prefs"; }

 private:
  std::string folder_;
  std::optional<std::string> saved_;
};

}  // namespace zv::test
