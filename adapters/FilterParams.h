// The filters' parameters, once: the frei0r filter offers the rows marked for
// it in this order, the MLT filter reads the rows marked for it, and the
// editors' description files (filter_zorvane.yml, the Kdenlive and Shotcut
// files) carry the same names, titles, units, ranges, defaults and help; a
// test holds them to this table. Values are in the row's unit; frei0r's
// doubles are "%" values divided by 100.
#pragma once

#include <cstddef>
#include <string_view>

namespace zv::adapters {

enum ParamHost : unsigned { kInFrei0r = 1, kInMlt = 2 };

struct FilterParam {
  const char *name;
  const char *title;
  const char *unit;  // "%", "frames", or "" for the rectangle's text
  double minimum, maximum;
  double byDefault;         // without a stored configuration
  const char *defaultText;  // the rectangle's default, as MLT text
  unsigned hosts;
  bool animated;
  const char *help;
};

inline constexpr FilterParam kFilterParams[] = {
    {"left", "Left edge", "%", 0, 100, 0, nullptr, kInFrei0r, false,
     "Left edge of the rectangle, in percent of the frame's width."},
    {"right", "Right edge", "%", 0, 100, 100, nullptr, kInFrei0r, false,
     "Right edge of the rectangle, in percent of the frame's width."},
    {"top", "Top edge", "%", 0, 100, 0, nullptr, kInFrei0r, false,
     "Top edge of the rectangle, in percent of the frame's height."},
    {"bottom", "Bottom edge", "%", 0, 100, 100, nullptr, kInFrei0r, false,
     "Bottom edge of the rectangle, in percent of the frame's height."},
    {"rect", "Rectangle", "", 0, 0, 0, "0% 0% 100% 100%", kInMlt, true,
     "Where the effect works: \"x y w h\" in pixels of the profile, or each value with % in percent of the frame."},
    {"red", "Red floor", "%", 0, 100, 50, nullptr, kInFrei0r | kInMlt, true,
     "The lowest red inside the rectangle, in percent of full intensity."},
    {"green", "Green floor", "%", 0, 100, 50, nullptr, kInFrei0r | kInMlt, true,
     "The lowest green inside the rectangle, in percent of full intensity."},
    {"blue", "Blue floor", "%", 0, 100, 50, nullptr, kInFrei0r | kInMlt, true,
     "The lowest blue inside the rectangle, in percent of full intensity."},
    {"fade_in", "Fade in", "frames", 0, 1000, 0, nullptr, kInMlt, false,
     "Frames over which the effect grows in from the start of the clip the filter is on."},
    {"fade_out", "Fade out", "frames", 0, 1000, 0, nullptr, kInMlt, false,
     "Frames over which the effect fades out towards the end of the clip the filter is on."},
};

inline constexpr std::size_t kFilterParamCount = std::size(kFilterParams);

// The row of that name; null for a name not in the table.
constexpr const FilterParam *FindFilterParam(std::string_view name) {
  for (const FilterParam &p : kFilterParams)
    if (name == p.name) return &p;
  return nullptr;
}

}  // namespace zv::adapters
