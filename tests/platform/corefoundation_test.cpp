// Core Foundation: strings from Mac Roman, file URLs, bundles and image references.

#include "CoreFoundation.h"
#include "temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string Utf8(CFStringRef s) {
  char buffer[1024];
  return CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "(not convertible)";
}

CFURLRef UrlOf(const std::string &path, bool folder = false) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8 *>(path.data()),
                                                 static_cast<CFIndex>(path.size()), folder);
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
    const unsigned char pascal[] = {1, byte};
    CFStringRef one = CFStringCreateWithPascalString(nullptr, pascal, kCFStringEncodingMacRoman);
    EXPECT_EQ(Utf8(one), expected) << int(byte);
    CFRelease(one);
  }
  // Every byte comes back as itself: the table is one-to-one.
  unsigned char all[256] = {255};
  for (int i = 1; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  CFStringRef every = CFStringCreateWithPascalString(nullptr, all, kCFStringEncodingMacRoman);
  char back[257];
  ASSERT_TRUE(CFStringGetCString(every, back, sizeof back, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(back), std::string(reinterpret_cast<char *>(all + 1), 255));
  CFRelease(every);
}

TEST(CFString, CStringsConvertBackOnlyWhenTheyFit) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "Grüße 😀", kCFStringEncodingUTF8);
  char buffer[64];
  EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingMacRoman));  // no emoji in Mac Roman
  EXPECT_FALSE(CFStringGetCString(s, buffer, 12, kCFStringEncodingUTF8));  // 12 bytes and the terminator
  EXPECT_TRUE(CFStringGetCString(s, buffer, 13, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "Grüße 😀");
  CFRelease(s);
  CFStringRef roman = CFStringCreateWithCString(nullptr, "Gr\x9F\xA7" "e", kCFStringEncodingMacRoman);
  EXPECT_EQ(Utf8(roman), "Grüße");
  CFRelease(roman);

  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC3", kCFStringEncodingUTF8), nullptr);  // cut short
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr);  // a surrogate
  EXPECT_EQ(CFStringCreateWithPascalString(nullptr, nullptr, kCFStringEncodingMacRoman), nullptr);
  CFRelease(nullptr);
  // Constant strings are shared and outlive releases.
  CFStringRef a = CFSTR("com.dravik.kelvora.zorvane");
  EXPECT_EQ(a, CFSTR("com.dravik.kelvora.zorvane"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(Utf8(a), "com.dravik.kelvora.zorvane");
}

TEST(CFURL, FileURLsHoldAbsolutePaths) {
  CFURLRef url = UrlOf("/tmp/some folder/../file.txt");
  UInt8 buffer[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
  EXPECT_STREQ(reinterpret_cast<char *>(buffer), "/tmp/file.txt");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buffer, 13));
  FSRef ref;
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(zv::PathOfFSRef(ref), "/tmp/file.txt");
  CFRelease(url);
  const std::string longPath = "/" + std::string(80, 'x');  // longer than a reference's 80 bytes
  url = UrlOf(longPath);
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(zv::PathOfFSRef(ref), longPath);
  CFRelease(url);
}

// The plug-in's own bundle is loaded and read end to end by the host and the
// plug-in tests; these are the cases they never meet.
class BundleTest : public ::testing::Test {
 protected:
  CFBundleRef Create(const std::string &path) {
    CFURLRef url = UrlOf(path, true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return bundle;
  }
  static std::string PathOf(CFURLRef url) {
    UInt8 buffer[1024];
    const bool ok = CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer);
    CFRelease(url);
    return ok ? reinterpret_cast<char *>(buffer) : "(none)";
  }
  TempFolder temp;
};

TEST_F(BundleTest, ABundleIsFoundByItsIdentifierAndKnowsItsFiles) {
  const std::string root = temp / "Zorvane.bundle";
  std::filesystem::create_directories(root + "/Contents/Resources/docs");
  std::ofstream(root + "/Contents/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
         "<key>CFBundleIdentifier</key><string>test.bundle.found</string>\n"
         "<key>CFBundleExecutable</key><string>zorvane</string></dict></plist>\n";
  std::ofstream(root + "/Contents/Resources/docs/notes.txt") << "notes";
  std::ofstream(root + "/Contents/Resources/manual.pdf") << "%PDF";
  CFStringRef identifier = CFSTR("test.bundle.found");
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(identifier), nullptr);
  CFBundleRef bundle = Create(root);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(Create(root), bundle);  // one bundle per folder
  CFRelease(bundle);
  CFRelease(bundle);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(identifier), bundle);  // loaded bundles stay

  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("manual"), CFSTR("pdf"), nullptr)),
            root + "/Contents/Resources/manual.pdf");
  EXPECT_EQ(PathOf(CFBundleCopyResourceURL(bundle, CFSTR("notes"), CFSTR("txt"), CFSTR("docs"))),
            root + "/Contents/Resources/docs/notes.txt");
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("pdf"), nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
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
