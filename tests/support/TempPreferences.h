// Points the Preferences folder at a fresh temporary folder, so tests never
// touch a person's stored configuration.
#pragma once

#include <string>

namespace zv::test {

class TempPreferences {
 public:
  TempPreferences();
  ~TempPreferences();
  TempPreferences(const TempPreferences &) = delete;
  TempPreferences &operator=(const TempPreferences &) = delete;

  const std::string &Folder() const { return folder_; }
  std::string PrefsFile() const { return folder_ + "/tolvi-Prefs"; }

 private:
  std::string folder_;
  std::string saved_;
  bool hadSaved_ = false;
};

}  // namespace zv::test
