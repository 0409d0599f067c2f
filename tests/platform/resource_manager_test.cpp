// Resource Manager: files on disk, the chain of open files, handles, and
// saves that fail part-way.

#include "MacMemory.h"
#include "Resources.h"
#include "files/file_io.h"
#include "memory/memory_internal.h"
#include "resources/resource_file_format.h"
#include "temp_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr ResType kPref = ZV_FOURCC('P', 'r', 'e', 'f');
constexpr ResType kStr = ZV_FOURCC('S', 'T', 'R', '#');
constexpr ResType kBig = ZV_FOURCC('B', 'I', 'G', 'D');
const unsigned char kConfigSettings[] = "\x0F" "Config Settings";

Handle HandleWith(const std::string &bytes) {
  Handle h = NewHandle(static_cast<Size>(bytes.size()));
  std::memcpy(*h, bytes.data(), bytes.size());
  return h;
}

std::string TextOf(Handle h) { return {*h, static_cast<std::size_t>(GetHandleSize(h))}; }

Bytes ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string &path, const Bytes &bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ResourceFileTest : public ::testing::Test {
 protected:
  ~ResourceFileTest() override {
    zv::SetWriteFaultHook({});
    while (CurResFile() != 0) CloseResFile(CurResFile());
  }

  short Open(const std::string &name, SInt8 permission = fsCurPerm) {
    FSSpec fileSpec;
    zv::FSSpecOfPath(temp / name, &fileSpec);
    return FSpOpenResFile(&fileSpec, permission);
  }
  std::string Indexed(short id, short index) {
    Str255 text;
    GetIndString(text, id, index);
    return {reinterpret_cast<char *>(text + 1), text[0]};
  }
  // A new resource file holding the given resources; returns its path.
  std::string MakeFile(const std::string &name, const std::vector<zv::rsrc::Resource> &resources) {
    Bytes bytes;
    EXPECT_TRUE(zv::rsrc::SerialiseResourceFile({0, resources}, bytes));
    WriteBytes(temp / name, bytes);
    return temp / name;
  }

  TempFolder temp;
};

// Storing and reading back the preferences is PrefsFile's business in
// tests/plugin/prefs_test.cpp; here, what it does not look at.
TEST_F(ResourceFileTest, ResourcesAddedAreFoundAtOnceAndSavedWithTheirNames) {
  FSSpec fileSpec;
  zv::FSSpecOfPath(temp / "tolvi-Prefs", &fileSpec);
  EXPECT_EQ((FSpCreateResFile(&fileSpec, ZV_FOURCC('q', 'm', 'v', 'r'), kPref, -1), ResError()), noErr);
  EXPECT_EQ((FSpCreateResFile(&fileSpec, ZV_FOURCC('q', 'm', 'v', 'r'), kPref, -1), ResError()), dupFNErr);
  const short refNum = Open("tolvi-Prefs");
  Handle h = HandleWith("record");
  AddResource(h, kPref, 1, kConfigSettings);
  EXPECT_EQ(Get1Resource(kPref, 1), h);  // added resources are found before they are written
  AddResource(HandleWith("other"), kStr, 128, nullptr);
  CloseResFile(refNum);
  const auto saved = zv::rsrc::ParseResourceFile(ReadBytes(temp / "tolvi-Prefs"));
  ASSERT_TRUE(saved && saved->resources.size() == 2u);
  EXPECT_EQ(saved->resources[0].name, "Config Settings");
  EXPECT_EQ(saved->resources[1].name, std::nullopt);
}

TEST_F(ResourceFileTest, HandlesAreReleasedDetachedOrDisposedOfAtClose) {
  const std::string path = MakeFile("f", {{kPref, 1, std::nullopt, 0, {'a', 'b'}}, {kPref, 2, std::nullopt, 0, {'c'}}});
  const Bytes before = ReadBytes(path);
  const std::size_t live = zv::memory::LiveBlockCount();
  const short refNum = Open("f", fsRdPerm);
  Handle first = Get1Resource(kPref, 1);
  EXPECT_EQ(Get1Resource(kPref, 1), first);  // loaded once
  ReleaseResource(first);
  EXPECT_EQ(TextOf(Get1Resource(kPref, 1)), "ab");

  Handle detached = Get1Resource(kPref, 2);
  DetachResource(detached);
  EXPECT_EQ((ReleaseResource(detached), ResError()), resNotFound);  // no longer a resource
  EXPECT_NE(Get1Resource(kPref, 2), detached);
  CloseResFile(refNum);
  // Closing disposed of the two attached handles; the detached one is ours.
  EXPECT_EQ(zv::memory::LiveBlockCount(), live + 1);
  EXPECT_EQ(TextOf(detached), "c");
  DisposeHandle(detached);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(ResourceFileTest, RefusedCallsLeaveTheFileAlone) {
  const std::string path = MakeFile("f", {{kPref, 1, std::nullopt, 0, {'a'}}});
  const Bytes before = ReadBytes(path);
  Handle spare = HandleWith("x");
  EXPECT_EQ((AddResource(spare, kPref, 9, nullptr), ResError()), addResFailed);  // no file open

  ASSERT_GT(Open("f", fsRdPerm), 0);
  EXPECT_EQ((AddResource(spare, kPref, 9, nullptr), ResError()), addResFailed);
  EXPECT_EQ((RemoveResource(Get1Resource(kPref, 1)), ResError()), rmvResFailed);
  CloseResFile(CurResFile());

  const short refNum = Open("f", fsRdWrPerm);
  ASSERT_GT(refNum, 0);
  for (Handle h : {spare, Get1Resource(kPref, 1), Handle{}})  // a duplicate id, already a resource, none
    EXPECT_EQ((AddResource(h, kPref, h == spare ? 1 : 2, nullptr), ResError()), addResFailed);
  EXPECT_EQ((RemoveResource(spare), ResError()), rmvResFailed);
  UseResFile(refNum + 100);
  EXPECT_EQ(CurResFile(), refNum);

  // An addition not yet written cannot be released: its contents would be lost.
  AddResource(spare, kPref, 9, nullptr);
  EXPECT_EQ((ReleaseResource(spare), ResError()), resAttrErr);
  EXPECT_EQ((RemoveResource(spare), ResError()), noErr);
  DisposeHandle(spare);
  CloseResFile(refNum);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(ResourceFileTest, TheChainIsSearchedFromTheCurrentFileDown) {
  const std::string older[] = {"a1", "a2"}, newer[] = {"b1"};
  MakeFile("older", {{kStr, 128, std::nullopt, 0, *zv::rsrc::MakeStringList(older)}});
  MakeFile("newer", {{kStr, 129, std::nullopt, 0, *zv::rsrc::MakeStringList(newer)}});
  const short a = Open("older", fsRdPerm), b = Open("newer", fsRdPerm);
  ASSERT_TRUE(a > 0 && b > 0 && a != b);
  EXPECT_EQ(CurResFile(), b);
  EXPECT_EQ(Indexed(128, 2) + Indexed(129, 1), "a2b1");
  for (short index : {0, 2, -1}) EXPECT_EQ(Indexed(129, index), "");
  EXPECT_EQ(Get1Resource(kStr, 128), nullptr);  // not in the current file

  UseResFile(a);
  EXPECT_EQ(Indexed(129, 1), "");  // above the current file
  UseResFile(b);
  CloseResFile(b);
  EXPECT_EQ(CurResFile(), a);  // the next one down
  CloseResFile(a);
  EXPECT_EQ((CloseResFile(a), ResError()), resFNotFound);
}

TEST_F(ResourceFileTest, AFileBeyondTheFormatsLimitsIsNotWritten) {
  const std::string path = MakeFile("f", {{kPref, 1, std::nullopt, 0, {'o', 'l', 'd'}}});
  const Bytes before = ReadBytes(path);
  const short refNum = Open("f");
  Handle big = NewHandleClear(1 << 24);  // pushes the next resource past 3-byte offsets
  AddResource(big, kBig, 1, nullptr);
  AddResource(HandleWith("x"), kBig, 2, nullptr);
  EXPECT_EQ((UpdateResFile(refNum), ResError()), addResFailed);
  EXPECT_EQ(ReadBytes(path), before);

  RemoveResource(big);
  DisposeHandle(big);
  EXPECT_EQ((CloseResFile(refNum), ResError()), noErr);
  EXPECT_EQ(zv::rsrc::ParseResourceFile(ReadBytes(path))->resources.size(), 2u);
}

TEST_F(ResourceFileTest, ASaveInterruptedAtAnyStepLeavesTheOldFileOrTheNewWhole) {
  // Big enough to be written in several pieces.
  const std::string path = MakeFile("tolvi-Prefs", {{kPref, 1, "Config Settings", 0, {'o', 'l', 'd'}},
                                                    {kBig, 1, std::nullopt, 0, Bytes(3 * zv::kWriteChunkBytes + 100, 9)}});
  const Bytes oldBytes = ReadBytes(path);
  // Replaces the preference and saves, with the write hook seeing each step.
  auto saveNewPref = [&](const std::function<int(zv::WriteStep)> &hook) {
    WriteBytes(path, oldBytes);
    const short refNum = Open("tolvi-Prefs");
    Handle old = Get1Resource(kPref, 1);
    RemoveResource(old);
    DisposeHandle(old);
    AddResource(HandleWith("new"), kPref, 1, kConfigSettings);
    zv::SetWriteFaultHook(hook);
    UpdateResFile(refNum);
    zv::SetWriteFaultHook({});
    return refNum;
  };
  std::vector<zv::WriteStep> steps;
  CloseResFile(saveNewPref([&](zv::WriteStep step) { return steps.push_back(step), 0; }));
  ASSERT_EQ(steps.size(), 8u);  // open, four writes, flush, rename, flush the folder
  EXPECT_EQ(std::count(steps.begin(), steps.end(), zv::WriteStep::Write), 4);
  const Bytes newBytes = ReadBytes(path);
  ASSERT_NE(newBytes, oldBytes);

  for (std::size_t failing = 0; failing < steps.size(); ++failing) {
    SCOPED_TRACE(failing);
    std::size_t step = 0;
    const short refNum = saveNewPref([&](zv::WriteStep) { return step++ == failing ? ENOSPC : 0; });
    EXPECT_EQ(ResError(), dskFulErr);
    // Once renamed the new file is in place; before, the old one is untouched.
    EXPECT_EQ(ReadBytes(path), steps[failing] == zv::WriteStep::SyncFolder ? newBytes : oldBytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1) << "temporary file left";
    // The changes are still pending: the next try writes them.
    EXPECT_EQ((CloseResFile(refNum), ResError()), noErr);
    EXPECT_EQ(ReadBytes(path), newBytes);
  }
}

}  // namespace
