// Core Foundation: strings from Mac Roman, file URLs, bundles and image references.

#include "CoreFoundation.h"
#include "Resources.h"
#include "resources/resource_file_format.h"
#include "temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string Utf8(CFStringRef s) {
  char buffer[1024];
  return CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "(not convertible)";
}

TEST(CFString, PascalStringsAreReadAsMacRoman) {
  const unsigned char cafe[] = "\x07" "Caf\x8E \xDB" "1";
  CFStringRef s = CFStringCreateWithPascalString(kCFAllocatorDefault, cafe, kCFStringEncodingMacRoman);
  EXPECT_EQ(Utf8(s), "Café €1");
  CFRelease(s);

  // Samples from every part of the upper half.
  const std::pair<unsigned char, const char *> samples[] = {
      {0x80, "Ä"}, {0xA5, "•"}, {0xA8, "®"}, {0xAA, "™"}, {0xBD, "Ω"}, {0xC6, "∆"}, {0xC9, "…"},
      {0xCA, "\u00A0"}, {0xD2, "“"}, {0xD5, "’"}, {0xDE, "ﬁ"}, {0xF0, "\uF8FF"}, {0xF5, "ı"}, {0xFF, "ˇ"}};
  for (const auto &[byte, expected] : samples) {
    SCOPED_TRACE(static_cast<int>(byte));
    const unsigned char pascal[] = {1, byte};
    CFStringRef one = CFStringCreateWithPascalString(nullptr, pascal, kCFStringEncodingMacRoman);
    EXPECT_EQ(Utf8(one), expected);
    CFRelease(one);
  }

  // Every byte comes back as itself: the table is one-to-one.
  unsigned char all[256];
  all[0] = 255;
  for (int i = 1; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  CFStringRef every = CFStringCreateWithPascalString(nullptr, all, kCFStringEncodingMacRoman);
  EXPECT_EQ(CFStringGetLength(every), 255);
  char back[257];
  ASSERT_TRUE(CFStringGetCString(every, back, sizeof back, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(back), std::string(reinterpret_cast<char *>(all + 1), 255));
  CFRelease(every);
}

TEST(CFString, CStringsConvertBackOnlyWhenTheyFit) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "Grüße 😀", kCFStringEncodingUTF8);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFStringGetLength(s), 8);  // the emoji takes two UTF-16 units
  char buffer[64];
  EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingMacRoman));  // no emoji in Mac Roman
  EXPECT_FALSE(CFStringGetCString(s, buffer, 12, kCFStringEncodingUTF8));  // 12 bytes and the terminator
  EXPECT_TRUE(CFStringGetCString(s, buffer, 13, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "Grüße 😀");
  CFRelease(s);

  CFStringRef roman = CFStringCreateWithCString(nullptr, "Gr\x9F\xA7" "e", kCFStringEncodingMacRoman);
  EXPECT_EQ(Utf8(roman), "Grüße");
  ASSERT_TRUE(CFStringGetCString(roman, buffer, sizeof buffer, kCFStringEncodingMacRoman));
  EXPECT_STREQ(buffer, "Gr\x9F\xA7" "e");
  CFRelease(roman);

  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC3", kCFStringEncodingUTF8), nullptr);  // cut short
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr);  // a surrogate
  EXPECT_EQ(CFStringCreateWithPascalString(nullptr, nullptr, kCFStringEncodingMacRoman), nullptr);
  CFRelease(nullptr);
}

TEST(CFString, ConstantStringsAreSharedAndOutliveReleases) {
  CFStringRef a = CFSTR("com.dravik.kelvora.zorvane");
  EXPECT_EQ(a, CFSTR("com.dravik.kelvora.zorvane"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(Utf8(a), "com.dravik.kelvora.zorvane");
}

TEST(CFURL, FileURLsHoldAbsolutePaths) {
  const std::string path = "/tmp/some folder/../file.txt";
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8 *>(path.data()),
                                                         static_cast<CFIndex>(path.size()), false);
  ASSERT_NE(url, nullptr);
  UInt8 buffer[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
  EXPECT_STREQ(reinterpret_cast<char *>(buffer), "/tmp/file.txt");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buffer, 13));
  FSRef ref;
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(zv::PathOfFSRef(ref), "/tmp/file.txt");
  CFRelease(url);

  const std::string longPath = "/" + std::string(80, 'x');  // longer than a reference's 80 bytes
  url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8 *>(longPath.data()),
                                                static_cast<CFIndex>(longPath.size()), false);
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(zv::PathOfFSRef(ref), longPath);
  CFRelease(url);
}

class BundleTest : public ::testing::Test {
 protected:
  // X.bundle with an Info.plist naming the identifier and the executable.
  std::string MakeBundle(const std::string &name, const std::string &identifier) {
    const std::filesystem::path contents = temp.path() / name / "Contents";
    std::filesystem::create_directories(contents / "Resources" / "docs");
    std::ofstream(contents / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>\n"
           "  <key>CFBundleIdentifier</key><string>" << identifier << "</string>\n"
           "  <key>CFBundleExecutable</key><string>zorvane</string>\n"
           "  <key>LSRequiresCarbon</key><true/>\n"
           "  <key>CFBundleShortVersionString</key><string>3.0.0</string>\n"
           "</dict></plist>\n";
    std::ofstream(contents / "Resources" / "manual.pdf") << "%PDF";
    std::ofstream(contents / "Resources" / "docs" / "notes.txt") << "notes";
    return (temp.path() / name).string();
  }

  CFBundleRef Create(const std::string &path) {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8 *>(path.data()),
                                                           static_cast<CFIndex>(path.size()), true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return bundle;
  }

  static std::string PathOf(CFURLRef url) {
    UInt8 buffer[1024];
    const std::string path = CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer)
                                 ? reinterpret_cast<char *>(buffer) : "(none)";
    CFRelease(url);
    return path;
  }

  TempFolder temp;
};

TEST_F(BundleTest, ABundleIsFoundByItsIdentifierAndKnowsItsFiles) {
  const std::string root = MakeBundle("Zorvane.bundle", "test.bundle.found");
  CFStringRef identifier = CFSTR("test.bundle.found");
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(identifier), nullptr);
  CFBundleRef bundle = Create(root);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(identifier), bundle);
  EXPECT_EQ(Create(root), bundle);  // one bundle per folder
  CFRelease(bundle);
  CFRelease(bundle);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(identifier), bundle);  // loaded bundles stay

  EXPECT_EQ(Utf8(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("CFBundleShortVersionString"))), "3.0.0");
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("LSRequiresCarbon")), nullptr);  // not text
  EXPECT_EQ(PathOf(CFBundleCopyExecutableURL(bundle)), root + "/Contents/Linux/zorvane.so");
  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("manual"), CFSTR("pdf"), nullptr)),
            root + "/Contents/Resources/manual.pdf");
  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("notes"), CFSTR("txt"), CFSTR("docs"))),
            root + "/Contents/Resources/docs/notes.txt");
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("pdf"), nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
}

TEST_F(BundleTest, TheBundleResourceFileJoinsTheChain) {
  const std::string root = MakeBundle("Strings.bundle", "test.bundle.strings");
  const std::string items[] = {"Configure"};
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(zv::rsrc::SerialiseResourceFile({0, {{zv::rsrc::kStringListType, 130, std::nullopt, 0,
                                                    *zv::rsrc::MakeStringList(items)}}}, bytes));
  std::ofstream(root + "/Contents/Resources/zorvane.rsrc", std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  CFBundleRef bundle = Create(root);
  const CFBundleRefNum refNum = CFBundleOpenBundleResourceMap(bundle);
  ASSERT_GT(refNum, 0);
  Str255 title;
  GetIndString(title, 130, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(title + 1), title[0]), "Configure");
  CFBundleCloseBundleResourceMap(bundle, refNum);
  GetIndString(title, 130, 1);
  EXPECT_EQ(title[0], 0);
  CFRelease(bundle);
}

TEST_F(BundleTest, AFolderWithoutAReadableInfoPlistIsNoBundle) {
  std::filesystem::create_directories(temp.path() / "Empty.bundle" / "Contents");
  EXPECT_EQ(Create(temp / "Empty.bundle"), nullptr);
  std::ofstream(temp / "Empty.bundle/Contents/Info.plist") << "<plist><dict><key>";
  EXPECT_EQ(Create(temp / "Empty.bundle"), nullptr);
  EXPECT_EQ(Create(temp / "Missing.bundle"), nullptr);
  EXPECT_EQ(CFBundleCreate(nullptr, nullptr), nullptr);
  EXPECT_EQ(CFBundleOpenBundleResourceMap(nullptr), -1);
}

}  // namespace
