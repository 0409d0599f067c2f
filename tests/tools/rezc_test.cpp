// The string-list compiler: what it accepts, what it writes, and where it
// says the source is wrong.

#include "rez_source.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>

namespace {

using zv::rez::CompileRezSource;

std::vector<std::string> Items(const zv::rsrc::Resource &resource) {
  std::vector<std::string> items;
  for (int i = 1; auto item = zv::rsrc::StringListItem(resource.data, i); ++i) items.push_back(*item);
  return items;
}

std::string ErrorFor(std::string_view source) {
  std::string error;
  EXPECT_EQ(CompileRezSource(source, "in.r", &error), std::nullopt) << source;
  return error;
}

TEST(Rezc, CompilesStringListsWithCommentsEscapesAndMacRoman) {
  const char *source = R"(/* lists */
// a line comment
resource 'STR#' (128, "Labels") {
    "plain", "tab\there", "quote \" and \\",
    "joined " "across literals",   /* trailing comment */
    "Café ©", "\xA5\101"
};
resource 'STR#' (-5) { };
)";
  std::string error;
  const auto file = CompileRezSource(source, "in.r", &error);
  ASSERT_TRUE(file) << error;
  ASSERT_EQ(file->resources.size(), 2u);
  const zv::rsrc::Resource &labels = file->resources[0];
  EXPECT_EQ(std::tuple(labels.type, labels.id, labels.name), std::tuple(zv::rsrc::kStringListType, 128, "Labels"));
  EXPECT_EQ(Items(labels), (std::vector<std::string>{"plain", "tab\there", "quote \" and \\",
                                                     "joined across literals", "Caf\x8E \xA9", "\xA5" "A"}));
  const zv::rsrc::Resource &empty = file->resources[1];
  EXPECT_EQ(std::tuple(empty.id, empty.name, empty.data), std::tuple(-5, std::nullopt, std::vector<std::uint8_t>{0, 0}));
}

TEST(Rezc, MalformedSourceIsReportedWithFileAndLine) {
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) {\n  \"a\"\n  \"b\" \"c\",\n  x };"),
            "in.r:4: expected ',' or '}' after a string, found 'x'");
  EXPECT_EQ(ErrorFor("\n\nresource 'STR#' (1) { \"open };"), "in.r:3: missing closing \"");
  EXPECT_EQ(ErrorFor("/* never closed\n\n"), "in.r:1: comment not closed");
  EXPECT_EQ(ErrorFor("resource 'STR ' (1) { };"), "in.r:1: only 'STR#' resources are supported, found 'STR '");
  EXPECT_EQ(ErrorFor("resource 'STR#' (40000) { };"),
            "in.r:1: the resource id must be a whole number from -32768 to 32767, found '40000'");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { \"\\q\" };"), "in.r:1: unknown escape \\q");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { \"ok ✓\" };"), "in.r:1: character \"✓\" has no Mac Roman form");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { \"" + std::string(256, 'x') + "\" };"),
            "in.r:1: string longer than 255 bytes");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { };\n\nresource 'STR#' (1) { };"), "in.r:3: resource 1 defined twice");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { }"), "in.r:1: expected ';' after '}', found the end of the file");
  EXPECT_EQ(ErrorFor("resources"), "in.r:1: expected 'resource', found 'resources'");
  EXPECT_EQ(ErrorFor("resource 'STR#' (1) { } ;\n@"), "in.r:2: unexpected character '@'");
}

// The good path runs in every build: the bundle's strings come from this tool.
TEST(Rezc, TheToolFailsWithTheMessageAndWritesNothing) {
  const std::string dir = testing::TempDir();
  std::ofstream(dir + "bad.r") << "resource 'STR#' (130) {\n  \"Configure\"\n";
  const int status = std::system((ZORVANE_BIN_DIR "/zorvane-rezc " + dir + "bad.r " + dir + "bad.rsrc 2>" + dir + "bad.err").c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::string message;
  std::getline(std::ifstream(dir + "bad.err"), message);
  EXPECT_EQ(message, dir + "bad.r:3: expected ',' or '}' after a string, found the end of the file");
  EXPECT_FALSE(std::ifstream(dir + "bad.rsrc").good());
}

}  // namespace
