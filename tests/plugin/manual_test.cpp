// The bundle's manual as a reader sees it: no text lies on the dialog's picture.
#include "BundleLoader.h"
#include "Scripted.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Box {
  int top, left, width, height;
  bool Overlaps(const Box &o) const {
    return top < o.top + o.height && o.top < top + height && left < o.left + o.width && o.left < left + width;
  }
};

Box BoxOf(const std::smatch &m) { return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])}; }

TEST(Manual, TheDialogsPictureStandsInItsOwnSpace) {
  // pdftohtml gives the boxes of text and pictures in one measure; it writes
  // the pictures beside the PDF, so it reads a copy.
  const std::filesystem::path dir = testing::TempDir() + "manual";
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(zv::test::BuiltBundlePath() + "/Contents/Resources/manual.pdf", dir / "manual.pdf",
                             std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(std::system(("pdftohtml -xml -stdout -q '" + (dir / "manual.pdf").string() + "' > '" +
                         (dir / "manual.xml").string() + "'").c_str()), 0) << "pdftohtml failed";
  std::istringstream xml(zv::test::Slurp(dir / "manual.xml"));

  const std::regex page("<page number=\"(\\d+)\""),
      image("<image top=\"(-?\\d+)\" left=\"(-?\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\""),
      text("<text top=\"(-?\\d+)\" left=\"(-?\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\"[^>]*>(.*)</text>");
  struct Placed { int page; Box box; std::string text; };
  std::vector<Placed> pictures, texts;
  int pageNumber = 0;
  for (std::string line; std::getline(xml, line);) {
    std::smatch m;
    if (std::regex_search(line, m, page))
      pageNumber = std::stoi(m[1]);
    else if (std::regex_search(line, m, image))
      pictures.push_back({pageNumber, BoxOf(m), ""});
    else if (std::regex_search(line, m, text))
      texts.push_back({pageNumber, BoxOf(m), m[5]});
  }
  ASSERT_EQ(pictures.size(), 1u);
  ASSERT_GT(texts.size(), 100u);
  for (const Placed &t : texts)
    EXPECT_FALSE(t.page == pictures[0].page && t.box.Overlaps(pictures[0].box)) << "page " << t.page << ": " << t.text;
}

}  // namespace
