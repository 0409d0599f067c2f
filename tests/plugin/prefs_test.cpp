// The stored configuration: the record's bytes, and the preferences file.
#include "DataHandling.h"
#include "PluginState.h"
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
    EXPECT_EQ(std::memcmp(&got.STARTREL, &want.STARTREL, sizeof(RELRECT)), 0);
    EXPECT_EQ(got.METHOD, 0x0304);
    EXPECT_TRUE(got.KEEPPROPS);

    PLUGINDATAREC untouched{};
    untouched.METHOD = 9;
    b.resize(ConfigSaveSize(other), 0);
    EXPECT_FALSE(DecodeConfigRecord(b, other, untouched));
    EXPECT_EQ(untouched.METHOD, 9);
  }
}

TEST(ConfigRecord, WrongVersionsAndShortRecordsAreRejected) {
  std::vector<UInt8> b(396);
  EncodeConfigRecord(Sample(), std::endian::little, b);
  PLUGINDATAREC got{};
  for (UInt8 version : {2, 4}) {
    auto bad = b;
    bad[4] = version;
    EXPECT_FALSE(DecodeConfigRecord(bad, std::endian::little, got));
  }
  EXPECT_FALSE(DecodeConfigRecord(std::span(b).first(395), std::endian::little, got));
  EXPECT_FALSE(DecodeConfigRecord(std::span(b).first(3), std::endian::little, got));
  EXPECT_EQ(got.METHOD, 0);
}

TEST(ConfigRecord, AnyNonZeroKeepPropsByteIsTrue) {
  std::vector<UInt8> b(396);
  EncodeConfigRecord(Sample(), std::endian::little, b);
  b[134] = 0x80;
  PLUGINDATAREC got{};
  ASSERT_TRUE(DecodeConfigRecord(b, std::endian::little, got));
  EXPECT_EQ(got.KEEPPROPS, 1);
}

// ---- The preferences file -------------------------------------------------

// Every 'Pref' 1 in the file, as (name, bytes).
std::vector<std::pair<std::string, std::vector<UInt8>>> StoredRecords(const std::string &path) {
  FSSpec theSpec;
  EXPECT_EQ(zv::FSSpecOfPath(path, &theSpec), noErr);
  const short ref = FSpOpenResFile(&theSpec, fsRdPerm);
  std::vector<std::pair<std::string, std::vector<UInt8>>> out;
  if (ref == -1) return out;
  UseResFile(ref);
  if (Handle h = Get1Resource(kPref, 1)) {
    out.push_back({"", std::vector<UInt8>(*h, *h + GetHandleSize(h))});
    ReleaseResource(h);
  }
  CloseResFile(ref);
  return out;
}

TEST(PrefsFile, FirstRunCreatesTheFileAndStoresTheDefaults) {
  TempPreferences prefs;
  Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
  InitMyPlugIn(&block);
  ASSERT_TRUE(std::filesystem::exists(prefs.PrefsFile()));
  auto stored = StoredRecords(prefs.PrefsFile());
  ASSERT_EQ(stored.size(), 1u);
  ASSERT_EQ(stored[0].second.size(), kConfigSaveSizeNative);

  PLUGINDATAREC defaults = zv::test::DefaultConfig();
  std::vector<UInt8> expected(kConfigSaveSizeNative);
  EncodeConfigRecord(defaults, std::endian::native, expected);
  EXPECT_EQ(stored[0].second, expected);
  DisposePtr(block);
}

TEST(PrefsFile, SavedConfigurationComesBackBitForBitAndKeepsImages) {
  TempPreferences prefs;
  CreatePrefsFile();
  PLUGINDATAREC saved = Sample();
  ASSERT_TRUE(SaveConfig(&saved));
  ASSERT_TRUE(SaveConfig(&saved));  // twice: still one record

  PLUGINDATAREC read = zv::test::DefaultConfig();
  CGImageRef image = CGImageCreateBlank(1, 1);
  read.THERENDERED = image;
  ASSERT_TRUE(ReadConfig(&read));
  EXPECT_EQ(std::memcmp(&read, &saved, offsetof(PLUGINDATAREC, THEORIGINALIMAGE)), 0);
  EXPECT_EQ(read.KEEPPROPS, saved.KEEPPROPS);
  EXPECT_EQ(read.THERENDERED, image);
  EXPECT_EQ(StoredRecords(prefs.PrefsFile()).size(), 1u);
  CGImageRelease(image);
}

std::vector<char> FileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A record this build cannot read may be another machine's or a newer
// version's settings: start-up keeps it and runs on the defaults; only a
// store by the user replaces it.
TEST(PrefsFile, AnUnreadableRecordOrFileStaysUntilTheUserStores) {
  TempPreferences prefs;
  CreatePrefsFile();
  PLUGINDATAREC c = Sample();
  ASSERT_TRUE(SaveConfig(&c));
  const std::vector<char> good = FileBytes(prefs.PrefsFile());
  const size_t versionByte = 256 + 4 + (std::endian::native == std::endian::little ? 4 : 7);

  std::vector<std::vector<char>> unreadable;
  auto version4 = good;
  version4[versionByte] = 4;
  unreadable.push_back(version4);
  auto otherOrder = good;
  std::swap(otherOrder[260], otherOrder[263]), std::swap(otherOrder[261], otherOrder[262]);
  unreadable.push_back(otherOrder);
  for (size_t n : {size_t(0), size_t(15), size_t(200), good.size() / 2, good.size() - 1})
    unreadable.emplace_back(good.begin(), good.begin() + n);
  std::vector<char> random(good.size());
  for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 2654435761u >> 13);
  unreadable.push_back(random);
  auto offsets = good;
  offsets[4] = 0x7F;  // map offset far past the end
  unreadable.push_back(offsets);
  auto huge = good;  // a sound file, but past the 1 MiB a preferences file may take
  huge.resize((1u << 20) + 1);
  unreadable.push_back(huge);

  for (const auto &bytes : unreadable) {
    std::ofstream(prefs.PrefsFile(), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    PLUGINDATAREC read = Sample();
    EXPECT_EQ(ReadConfigRecord(&read), kPrefsRecordUnreadable) << bytes.size() << " bytes";
    Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
    InitPluginData(block);
    EXPECT_EQ(reinterpret_cast<PLUGINDATAPTR>(block)->SLIDERS[0], 50) << bytes.size() << " bytes";
    EXPECT_TRUE(FileBytes(prefs.PrefsFile()) == bytes) << "start-up replaced " << bytes.size() << " bytes";
    ASSERT_TRUE(SaveConfig(reinterpret_cast<PLUGINDATAPTR>(block))) << bytes.size() << " bytes";
    EXPECT_EQ(ReadConfigRecord(&read), kPrefsRecordRead) << "not repaired after " << bytes.size() << " bytes";
    DisposePtr(block);
  }
}

// Nothing but a regular file is opened, so a FIFO cannot block start-up; a
// store into anything else fails and says where and why.
TEST(PrefsFile, SomethingElseInTheWayIsUnreadableAndAStoreSaysWhy) {
  const std::string fifo = "FIFO", folder = "a folder", link = "a link to nothing";
  for (const std::string &kind : {fifo, folder, link}) {
    TempPreferences prefs;
    const std::string path = prefs.PrefsFile();
    if (kind == fifo) ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    if (kind == folder) std::filesystem::create_directory(path);
    if (kind == link) std::filesystem::create_symlink(prefs.Folder() + "/gone", path);
    Ptr block = NewPtrClear(sizeof(PLUGINDATAREC));
    InitMyPlugIn(&block);
    auto *cfg = reinterpret_cast<PLUGINDATAPTR>(block);
    EXPECT_EQ(ReadConfigRecord(cfg), kind == link ? kPrefsNoRecord : kPrefsRecordUnreadable) << kind;

    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveConfigOrTell(cfg)) << kind;
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string why = kind == link ? "missing, or a link to nothing" : "not a regular file";
    EXPECT_EQ(said, "The settings were not stored: " + path + ": " + why + "\n") << kind;
    EXPECT_FALSE(std::filesystem::is_regular_file(path)) << kind;
    DisposePtr(block);
  }
}

// With no Preferences folder the file's FSSpec is never filled, so
// nothing may be created from it.
TEST(PrefsFile, NoPreferencesFolderCreatesNothing) {
  TempPreferences prefs;
  setenv("XDG_CONFIG_HOME", "/proc/zorvane-no-such-folder/config", 1);  // cannot be made
  UseResFile(-2);
  ASSERT_EQ(ResError(), resFNotFound);
  CreatePrefsFile();
  EXPECT_EQ(ResError(), resFNotFound);  // no attempt to create a file
  PLUGINDATAREC c = Sample();
  EXPECT_EQ(ReadConfigRecord(&c), kPrefsNoRecord);
  EXPECT_FALSE(SaveConfig(&c));
}

TEST(PrefsFile, NoFolderOrFileMeansFalseAndNoChange) {
  TempPreferences prefs;  // the folder exists, the file does not
  PLUGINDATAREC c = Sample();
  EXPECT_FALSE(ReadConfig(&c));
  EXPECT_FALSE(SaveConfig(&c));
  EXPECT_FALSE(ReadConfig(nullptr));
  EXPECT_FALSE(SaveConfig(nullptr));
  EXPECT_EQ(c.METHOD, 0x0304);
}

}  // namespace

namespace {

TEST(PrefsFile, ASaveInterruptedAtAnyStepLeavesTheOldRecordReadable) {
  TempPreferences prefs;
  CreatePrefsFile();
  PLUGINDATAREC old = Sample();
  ASSERT_TRUE(SaveConfig(&old));
  ZVFailFileReplaceAtStep(-1);
  PLUGINDATAREC fresh = Sample();
  fresh.SLIDERS[0] = 11;
  ASSERT_TRUE(SaveConfig(&fresh));
  const int steps = ZVFailFileReplaceAtStep(-1);
  ASSERT_GT(steps, 3);
  ASSERT_TRUE(SaveConfig(&old));

  for (int step = 0; step < steps; ++step) {
    ZVFailFileReplaceAtStep(step);
    EXPECT_FALSE(SaveConfig(&fresh)) << "step " << step;
    PLUGINDATAREC read{};
    ASSERT_TRUE(ReadConfig(&read)) << "step " << step;
    EXPECT_EQ(read.SLIDERS[0], old.SLIDERS[0]) << "step " << step;
  }
  ZVFailFileReplaceAtStep(-1);
  ASSERT_TRUE(SaveConfig(&fresh));
  PLUGINDATAREC read{};
  ASSERT_TRUE(ReadConfig(&read));
  EXPECT_EQ(read.SLIDERS[0], 11);
}

}  // namespace
