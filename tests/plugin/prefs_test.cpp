// The stored configuration: the record's bytes, and the preferences file.
#include "DataHandling.h"
#include "PluginState.h"
#include "Scripted.h"
#include "TempPreferences.h"
#include "pascalFX.h"
#include "prefsloader.h"

#include <MacMemory.h>
#include <PlatformTesting.h>
#include <Resources.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using zv::test::TempPreferences;
constexpr ResType kPref = ZV_FOURCC('P', 'r', 'e', 'f');

PLUGINDATAREC Sample() {
  PLUGINDATAREC c = zv::test::DefaultConfig();
  c.STARTREL = {0.125, 0.875, 1.0 / 3.0, 0.75};
  c.ENDREL = {-0.5, 1.5, 0.1, 0.2};
  for (int i = 0; i < 6; ++i) c.COLORS[i] = {static_cast<UInt16>(0x0102 + i), static_cast<UInt16>(0x0304 + i), 0x0506};
  for (int i = 0; i < 6; ++i) c.SLIDERS[i] = static_cast<SInt16>(-3 + 20 * i);
  c.FRAMESTARTCOLOR = {0xA1A2, 0xB1B2, 0xC1C2};
  c.FRAMEENDCOLOR = {0xD1D2, 0xE1E2, 0xF1F2};
  c.MEDIATYPE = 2;
  c.KEEPPROPS = true;
  c.METHOD = 0x0304;
  return c;
}

TEST(ConfigRecord, BytesAtTheirOffsetsInEitherOrder) {
  using Bytes = std::vector<std::pair<size_t, UInt8>>;
  const struct {
    std::endian order;
    size_t size;
    Bytes bytes;  // size, version, STARTREL.LEFT = 0.125, COLORS[1].red, SLIDERS[1] = -3, ...
  } cases[] = {
      {std::endian::little, 396, {{0, 0x8C}, {1, 0x01}, {4, 3}, {14, 0xC0}, {15, 0x3F}, {72, 0x02}, {73, 0x01},
                                  {108, 0xFD}, {109, 0xFF}, {120, 0xA2}, {126, 0xD2}, {132, 2}, {134, 1}, {135, 0},
                                  {136, 0x04}, {137, 0x03}, {138, 37}}},
      {std::endian::big, 394, {{2, 0x01}, {3, 0x8A}, {7, 3}, {8, 0x3F}, {9, 0xC0}, {72, 0x01}, {108, 0xFF},
                               {109, 0xFD}, {133, 2}, {134, 1}, {136, 0x03}, {138, 37}}},
  };
  for (const auto &c : cases) {
    std::vector<UInt8> b(c.size, 0xEE);
    EncodeConfigRecord(Sample(), c.order, b);
    for (const auto &[at, value] : c.bytes) EXPECT_EQ(b[at], value) << "byte " << at << " of " << c.size;
    EXPECT_EQ(std::string(reinterpret_cast<char *>(&b[139]), 37), "Config save for dravik iMovie plug-in");
    for (size_t i = 139 + 37; i < c.size; ++i) ASSERT_EQ(b[i], 0) << "byte " << i << " of " << c.size;
  }
}

TEST(ConfigRecord, EachOrderReadsOnlyItsOwnForm) {
  for (std::endian order : {std::endian::little, std::endian::big}) {
    const std::endian other = order == std::endian::little ? std::endian::big : std::endian::little;
    std::vector<UInt8> b(ConfigSaveSize(order));
    EncodeConfigRecord(Sample(), order, b);
    PLUGINDATAREC got{};
    ASSERT_TRUE(DecodeConfigRecord(b, order, got));
    const PLUGINDATAREC want = Sample();
    EXPECT_EQ(std::memcmp(&got, &want, offsetof(PLUGINDATAREC, THEORIGINALIMAGE)), 0);
    EXPECT_TRUE(got.KEEPPROPS);
    got.METHOD = 9;
    b.resize(ConfigSaveSize(other), 0);
    EXPECT_FALSE(DecodeConfigRecord(b, other, got));
    EXPECT_EQ(got.METHOD, 9);
  }
}

// ---- The preferences file -------------------------------------------------

// The bytes of the file's 'Pref' 1, or none.
std::vector<UInt8> StoredRecord(const std::string &path) {
  FSSpec theSpec;
  EXPECT_EQ(zv::FSSpecOfPath(path, &theSpec), noErr);
  const short ref = FSpOpenResFile(&theSpec, fsRdPerm);
  std::vector<UInt8> out;
  if (ref == -1) return out;
  UseResFile(ref);
  if (Handle h = Get1Resource(kPref, 1)) out.assign(*h, *h + GetHandleSize(h)), ReleaseResource(h);
  CloseResFile(ref);
  return out;
}

TEST(PrefsFile, FirstRunStoresTheDefaultsAndASavedConfigurationComesBack) {
  TempPreferences prefs;
  Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
  InitMyPlugIn(&block);
  std::vector<UInt8> expected(kConfigSaveSizeNative);
  EncodeConfigRecord(zv::test::DefaultConfig(), std::endian::native, expected);
  EXPECT_EQ(StoredRecord(prefs.PrefsFile()), expected);
  DisposePtr(block);

  PLUGINDATAREC saved = Sample();
  ASSERT_TRUE(SaveConfig(&saved));
  ASSERT_TRUE(SaveConfig(&saved));
  PLUGINDATAREC read = zv::test::DefaultConfig();
  ASSERT_TRUE(ReadConfig(&read));
  EXPECT_EQ(std::memcmp(&read, &saved, offsetof(PLUGINDATAREC, THEORIGINALIMAGE)), 0);
  EXPECT_EQ(read.KEEPPROPS, saved.KEEPPROPS);

  // A start-up that finds a record reads it and leaves the file alone.
  struct stat before {}, after {};
  ASSERT_EQ(stat(prefs.PrefsFile().c_str(), &before), 0);
  block = NewPtrClear(sizeof(PLUGINDATAREC));
  InitMyPlugIn(&block);
  ASSERT_EQ(stat(prefs.PrefsFile().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "start-up rewrote the file";
  EXPECT_EQ(std::memcmp(block, &saved, offsetof(PLUGINDATAREC, THEORIGINALIMAGE)), 0);
  DisposePtr(block);
}


// A record this build cannot read may be another machine's or a newer
// version's settings: start-up keeps it and runs on the defaults; only a
// store by the user replaces it.
TEST(PrefsFile, AnUnreadableRecordOrFileStaysUntilTheUserStores) {
  TempPreferences prefs;
  PLUGINDATAREC c = Sample();
  std::vector<std::string> unreadable;
  FSSpec prefsFile;
  ASSERT_EQ(zv::FSSpecOfPath(prefs.PrefsFile(), &prefsFile), fnfErr);  // not there yet
  for (Size n : {0, 1, 395}) {  // records of no, one and an odd number of bytes
    const short ref = FSpOpenResFile(&prefsFile, fsRdWrPerm);
    Handle record = NewHandleClear(n);
    Config2Save(&c, record);
    AddResource(record, kPref, 1, nullptr);
    CloseResFile(ref);
    unreadable.push_back(zv::test::Slurp(prefs.PrefsFile()));
    std::filesystem::remove(prefs.PrefsFile());
  }
  ASSERT_TRUE(SaveConfig(&c));
  const std::string good = zv::test::Slurp(prefs.PrefsFile());
  const size_t versionByte = 256 + 4 + (std::endian::native == std::endian::little ? 4 : 7);

  const auto with = [&](auto change) { unreadable.push_back(good), change(unreadable.back()); };
  with([&](auto &b) { b[versionByte] = 4; });
  with([](auto &b) { std::swap(b[260], b[263]), std::swap(b[261], b[262]); });  // the other byte order
  for (size_t n : {size_t(0), size_t(15), size_t(200), good.size() / 2, good.size() - 1})
    with([n](auto &b) { b.resize(n); });
  with([](auto &b) { for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 2654435761u >> 13); });
  with([](auto &b) { b[4] = 0x7F; });  // map offset far past the end
  with([](auto &b) { b.resize((1u << 20) + 1); });  // sound, but past the 1 MiB a preferences file may take

  for (const auto &bytes : unreadable) {
    std::ofstream(prefs.PrefsFile(), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    PLUGINDATAREC read = Sample();
    EXPECT_EQ(ReadConfigRecord(&read), kPrefsRecordUnreadable) << bytes.size() << " bytes";
    Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
    InitPluginData(block);
    EXPECT_EQ(reinterpret_cast<PLUGINDATAPTR>(block)->SLIDERS[0], 50) << bytes.size() << " bytes";
    EXPECT_TRUE(zv::test::Slurp(prefs.PrefsFile()) == bytes) << "start-up replaced " << bytes.size() << " bytes";
    ASSERT_TRUE(SaveConfig(reinterpret_cast<PLUGINDATAPTR>(block))) << bytes.size() << " bytes";
    EXPECT_EQ(ReadConfigRecord(&read), kPrefsRecordRead) << "not repaired after " << bytes.size() << " bytes";
    DisposePtr(block);
  }
}

// FIFOs and folders in the way are checked end to end (StoredSettingsTest);
// a link to nothing is no record, and a store through it says why; a store
// through a link to a file replaces that file and keeps the link.
TEST(PrefsFile, ALinkToNothingIsNoRecordAndAStoreSaysWhy) {
  TempPreferences prefs;
  const std::string path = prefs.PrefsFile();
  std::filesystem::create_symlink(prefs.Folder() + "/gone", path);
  Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
  InitMyPlugIn(&block);
  auto *cfg = reinterpret_cast<PLUGINDATAPTR>(block);
  EXPECT_EQ(ReadConfigRecord(cfg), kPrefsNoRecord);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveConfigOrTell(cfg));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "The settings were not stored: " + path + ": missing, or a link to nothing\n");
  EXPECT_FALSE(std::filesystem::is_regular_file(path));

  std::filesystem::remove(path);
  ASSERT_TRUE(SaveConfig(cfg));
  std::filesystem::rename(path, prefs.Folder() + "/kept");
  std::filesystem::create_symlink("kept", path);
  cfg->SLIDERS[0] = 77;
  ASSERT_TRUE(SaveConfig(cfg));
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  PLUGINDATAREC read{};
  ASSERT_TRUE(ReadConfig(&read));
  EXPECT_EQ(read.SLIDERS[0], 77);
  DisposePtr(block);
}

// With no Preferences folder the file's FSSpec is never filled, so
// nothing may be created from it.
TEST(PrefsFile, NoPreferencesFolderCreatesNothing) {
  TempPreferences prefs;
  setenv("XDG_CONFIG_HOME", "/proc/zorvane-no-such-folder/config", 1);  // cannot be made
  PLUGINDATAREC c = Sample();
  EXPECT_EQ(ReadConfigRecord(&c), kPrefsNoRecord);
  EXPECT_FALSE(ReadConfig(&c));
  EXPECT_FALSE(SaveConfig(&c));
  EXPECT_FALSE(ReadConfig(nullptr));
  EXPECT_FALSE(SaveConfig(nullptr));
  EXPECT_EQ(c.METHOD, 0x0304);
}

// A first save that fails at any step leaves no file; a later one leaves the
// old record.
TEST(PrefsFile, ASaveInterruptedAtAnyStepLeavesNoFileOrTheOldRecord) {
  TempPreferences prefs;
  PLUGINDATAREC old = Sample(), fresh = Sample(), read{};
  fresh.SLIDERS[0] = 11;
  ZVFailFileReplaceAtStep(-1);
  ASSERT_TRUE(SaveConfig(&old));
  const int steps = ZVFailFileReplaceAtStep(-1);
  ASSERT_GT(steps, 3);

  for (int step = 0; step < steps; ++step) {
    std::filesystem::remove(prefs.PrefsFile());
    ZVFailFileReplaceAtStep(step);
    EXPECT_FALSE(SaveConfig(&fresh)) << "first save, step " << step;
    EXPECT_TRUE(std::filesystem::is_empty(prefs.Folder())) << "first save, step " << step;
    ZVFailFileReplaceAtStep(-1);
    ASSERT_TRUE(SaveConfig(&old));
    ZVFailFileReplaceAtStep(step);
    EXPECT_FALSE(SaveConfig(&fresh)) << "step " << step;
    ASSERT_TRUE(ReadConfig(&read)) << "step " << step;
    EXPECT_EQ(read.SLIDERS[0], old.SLIDERS[0]) << "step " << step;
  }
  ZVFailFileReplaceAtStep(-1);
  ASSERT_TRUE(SaveConfig(&fresh));
  ASSERT_TRUE(ReadConfig(&read));
  EXPECT_EQ(read.SLIDERS[0], 11);
}

// Other programs starting while the dialog's OK stores: the confirmed settings
// always win, over an older record or over the defaults of a first run, and a
// reader finds no file or a file with its record, never one without.
TEST(PrefsFile, StartUpsRacingAnOkKeepTheConfirmedSettings) {
  int lost = 0, recordless = 0;
  for (int trial = 0; trial < 12; ++trial) {
    TempPreferences prefs("/var/tmp");
    PLUGINDATAREC older = Sample(), stored{};
    older.SLIDERS[0] = 7;
    if (trial % 2 == 1) { ASSERT_TRUE(SaveConfig(&older)); }
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    for (int k = 0; k < 5; ++k) {
      if (fork() != 0) continue;
      char c;
      close(go[1]);
      (void)!read(go[0], &c, 1);
      if (k == 0) usleep(trial * 100 % 3000);  // OK at varying points of the others' start-ups
      PLUGINDATAREC confirmed = Sample();
      Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
      if (k == 0) _exit(SaveConfig(&confirmed) ? 0 : 1);
      InitMyPlugIn(&block);
      _exit(0);
    }
    close(go[0]);
    close(go[1]);  // all five start at once
    for (int done = 0, status = 0; done < 5;) {
      if (std::filesystem::exists(prefs.PrefsFile()) && ReadConfigRecord(&stored) != kPrefsRecordRead) ++recordless;
      if (waitpid(-1, &status, WNOHANG) <= 0) continue;
      ++done;
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_TRUE(ReadConfig(&stored));
    if (stored.SLIDERS[0] != Sample().SLIDERS[0]) ++lost;
  }
  EXPECT_EQ(lost, 0) << "of 12 trials";
  EXPECT_EQ(recordless, 0) << "reads of a file without its record";
}

}  // namespace
