#include "TempPreferences.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace zv::test {

TempPreferences::TempPreferences() {
  if (const char *old = std::getenv("XDG_CONFIG_HOME")) {
    saved_ = old;
    hadSaved_ = true;
  }
  std::string tmpl = (std::filesystem::temp_directory_path() / "zorvane-prefs-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  folder_ = tmpl;
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
}

TempPreferences::~TempPreferences() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
  if (hadSaved_)
    setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace zv::test
