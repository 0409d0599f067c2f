// The parameter table against what the editors read, and the rectangle's
// pixels and units.
#include "DataHandling.h"
#include "FilterParams.h"
#include "RectUnits.h"
#include "relrects.h"

#include <framework/mlt.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sstream>
#include <string>

namespace {

using namespace zv::adapters;

// YAML folds lines and MLT's reader keeps quotes: compare the words.
std::string Words(const char *text) {
  std::istringstream in(text ? text : "");
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  if (out.size() >= 2 && out.front() == '\'' && out.back() == '\'') out = out.substr(1, out.size() - 2);
  return out;
}

// Kdenlive's animated rectangle takes its default in pixels.
std::string KdenliveDefault(const FilterParam &p) {
  if (p.defaultText) return std::string(p.defaultText) == "0% 0% 100% 100%" ? "0 0 %width %height" : "?";
  std::ostringstream s;
  s << p.byDefault;
  return s.str();
}

TEST(FilterParams, DescriptionFilesFollowTheTable) {
  mlt_properties yml = mlt_properties_parse_yaml(ZV_ADAPTERS_DIR "/mlt/filter_zorvane.yml");
  ASSERT_NE(yml, nullptr);
  auto *params = static_cast<mlt_properties>(mlt_properties_get_data(yml, "parameters", nullptr));
  ASSERT_NE(params, nullptr);
  for (const char *file : {"/mlt/zorvane.xml", "/mlt/frei0r_zorvane.xml"}) {
    pugi::xml_document xml;
    ASSERT_TRUE(xml.load_file((std::string(ZV_ADAPTERS_DIR) + file).c_str())) << file;
    const unsigned host = std::string(file).find("frei0r") != std::string::npos ? kInFrei0r : kInMlt;
    int offered = 0;
    for (const FilterParam &p : kFilterParams) {
      if (!(p.hosts & host)) continue;
      SCOPED_TRACE(std::string(file) + " " + p.name);
      const pugi::xml_node x = xml.child("effect").find_child_by_attribute("parameter", "name", p.name);
      ASSERT_TRUE(x);
      EXPECT_EQ(x.child_value("name"), std::string(p.title));
      EXPECT_EQ(Words(x.child_value("comment")), p.help);
      EXPECT_EQ(x.attribute("default").value(), KdenliveDefault(p));
      if (!p.defaultText) {
        EXPECT_EQ(x.attribute("min").as_double(-1), p.minimum);
        EXPECT_EQ(x.attribute("max").as_double(-1), p.maximum);
        EXPECT_EQ(x.attribute("suffix").value(), std::string(p.unit));
      }
      ++offered;
    }
    EXPECT_EQ(offered, static_cast<int>(xml.child("effect").select_nodes("parameter").size())) << file;
  }
  int offered = 0;
  for (const FilterParam &p : kFilterParams) {
    if (!(p.hosts & kInMlt)) continue;
    SCOPED_TRACE(p.name);
    auto *y = static_cast<mlt_properties>(mlt_properties_get_data_at(params, offered++, nullptr));
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(Words(mlt_properties_get(y, "identifier")), p.name);
    EXPECT_EQ(Words(mlt_properties_get(y, "title")), p.title);
    EXPECT_EQ(Words(mlt_properties_get(y, "description")), p.help);
    EXPECT_EQ(Words(mlt_properties_get(y, "unit")), p.unit);
    if (p.defaultText) {
      EXPECT_EQ(Words(mlt_properties_get(y, "default")), p.defaultText);
    } else {
      EXPECT_EQ(mlt_properties_get_double(y, "default"), p.byDefault);
      EXPECT_EQ(mlt_properties_get_double(y, "minimum"), p.minimum);
      EXPECT_EQ(mlt_properties_get_double(y, "maximum"), p.maximum);
    }
    EXPECT_EQ(Words(mlt_properties_get(y, "animation")) == "yes", p.animated);
  }
  EXPECT_EQ(offered, mlt_properties_count(params));
  mlt_properties_close(yml);

  // The table's defaults are the record's own.
  PLUGINDATAREC record{};
  ResetConfig(&record, true);
  const RELRECT &r = record.STARTREL;
  const double edges[] = {r.LEFT, r.RIGHT, r.TOP, r.BOTTOM};
  const char *names[] = {"left", "right", "top", "bottom", "red", "green", "blue"};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(FindFilterParam(names[i])->byDefault, i < 4 ? edges[i] * 100 : record.SLIDERS[i - 4]) << names[i];
}

TEST(RectUnits, WholePixelsLandOnThemselvesAtCommonSizes) {
  for (auto [w, h] : {std::pair{720, 480}, {720, 576}, {1280, 720}, {1920, 1080}, {2048, 1080}, {3840, 2160}}) {
    int wrong = 0;
    for (int e = -2; e <= w + 2; ++e) {
      const Rect r = Rel2Rect(PixelRect2Rel(e, e, 1, 1, w, h), Rect{0, 0, static_cast<short>(h), static_cast<short>(w)});
      wrong += r.left != e || r.right != e + 1 || (e <= h + 2 && (r.top != e || r.bottom != e + 1));
    }
    EXPECT_EQ(wrong, 0) << w << "x" << h;
  }
  // Fractions truncate toward zero, as the plug-in does.
  const Rect r = Rel2Rect(PixelRect2Rel(31.7, -0.5, 500.2, 10.9, 1920, 1080), Rect{0, 0, 1080, 1920});
  EXPECT_EQ(std::tuple(r.left, r.right, r.top, r.bottom), std::tuple(31, 531, 0, 10));
}

// Which text is in which units, and mixed text in melt: adapters.pixel_rects.
TEST(RectUnits, PercentsBecomePixelsAndTheRestStaysAsWritten) {
  // Timecode keys, keyframe kinds and the opacity stay as written.
  EXPECT_EQ(RectInPixels("00:00:00.000=10 5 25% -10%;00:00:01.480|=1.5 2 3 4 0.5", 320, 240),
            "00:00:00.000=10 5 80 -24;00:00:01.480|=1.5 2 3 4 0.5");
}

}  // namespace
