// Folder Manager: the Preferences folder, FSSpecs and their paths.

#include "Folders.h"
#include "temp_folder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char *name_;
  std::optional<std::string> old_;
};

StringPtr Pascal(const std::string &text, Str255 buffer) {
  buffer[0] = static_cast<unsigned char>(text.size());
  std::memcpy(buffer + 1, text.data(), text.size());
  return buffer;
}

// The path of the file "x" in the Preferences folder.
std::string FileInPreferences() {
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) return "";
  FSSpec fileSpec;
  Str255 name;
  FSMakeFSSpec(vRefNum, dirID, Pascal("x", name), &fileSpec);
  return zv::PathOfFSSpec(fileSpec);
}

TEST(FindFolder, PreferencesFolderIsXdgConfigHomeOrDotConfigInHomeAndIsCreated) {
  TempFolder temp;
  const std::string config = temp / "deep/config";
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(FileInPreferences(), config + "/x");
    EXPECT_TRUE(std::filesystem::is_directory(config));
    short v1, v2;  // the same folder always gets the same id
    long d1, d2;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &v1, &d1), noErr);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &v2, &d2), noErr);
    EXPECT_TRUE(d1 == d2 && v1 == v2);
  }
  ScopedEnv home("HOME", temp.path().c_str());
  for (const char *unusable : {static_cast<const char *>(nullptr), "", "relative/config"}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(FileInPreferences(), temp / ".config/x") << (unusable ? unusable : "(unset)");
    EXPECT_TRUE(std::filesystem::is_directory(temp / ".config"));
  }
}

TEST(FindFolder, RefusesOtherFoldersAndAPreferencesPathThatIsAFile) {
  short vRefNum;
  long dirID;
  EXPECT_EQ(FindFolder(kOnSystemDisk, ZV_FOURCC('d', 'e', 's', 'k'), kCreateFolder, &vRefNum, &dirID), fnfErr);
  TempFolder temp;
  std::ofstream(temp / "file") << "not a folder";
  ScopedEnv xdg("XDG_CONFIG_HOME", (temp / "file").c_str());
  EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID), dirNFErr);
}

TEST(FSMakeFSSpec, FillsTheSpecAndReportsMissingFilesAndBadNames) {
  TempFolder temp;
  std::ofstream(temp / "present") << "x";
  FSSpec fileSpec;
  Str255 name;
  ASSERT_EQ(zv::FSSpecOfPath(temp / "present", &fileSpec), noErr);
  const long dirID = fileSpec.parID;
  EXPECT_EQ(zv::PathOfFSSpec(fileSpec), temp / "present");

  std::memset(&fileSpec, 0, sizeof fileSpec);
  EXPECT_EQ(FSMakeFSSpec(0, dirID, Pascal("tolvi-Prefs", name), &fileSpec), fnfErr);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(fileSpec.name + 1), fileSpec.name[0]), "tolvi-Prefs");
  EXPECT_EQ(zv::PathOfFSSpec(fileSpec), temp / "tolvi-Prefs");
  EXPECT_EQ(FSMakeFSSpec(0, dirID, Pascal(std::string(63, 'n'), name), &fileSpec), fnfErr);
  for (const std::string &bad : {std::string(), std::string(64, 'n'), std::string("a/b"), std::string("."),
                                std::string(".."), std::string("a\0b", 3)})
    EXPECT_EQ(FSMakeFSSpec(0, dirID, Pascal(bad, name), &fileSpec), bdNamErr) << bad;
  EXPECT_EQ(FSMakeFSSpec(0, 987654, Pascal("present", name), &fileSpec), dirNFErr);
  EXPECT_EQ(zv::FSSpecOfPath(temp / "missing", &fileSpec), fnfErr);
  EXPECT_EQ(zv::FSSpecOfPath("/", &fileSpec), bdNamErr);
}

}  // namespace
