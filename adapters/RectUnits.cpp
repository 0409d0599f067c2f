#include "RectUnits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zv::adapters {

namespace {

// Calls each(index, value, percent, end) for the first four numbers of every
// keyframe value ("key=value;..." or a plain value); end is where the number
// (and its "%") stops in text.
template <typename Each>
void ForEachValue(const char *text, Each each) {
  const char *p = text;
  while (*p) {
    const char *stop = std::strchr(p, ';');
    if (!stop) stop = p + std::strlen(p);
    const char *eq = static_cast<const char *>(std::memchr(p, '=', static_cast<std::size_t>(stop - p)));
    const char *q = eq ? eq + 1 : p;
    for (int index = 0; index < 4 && q < stop;) {
      char *end = nullptr;
      const double value = std::strtod(q, &end);
      if (end == q) {
        ++q;
        continue;
      }
      const bool percent = end < stop && *end == '%';
      each(index++, value, percent, end + percent);
      q = end + percent;
    }
    p = *stop ? stop + 1 : stop;
  }
}

}  // namespace

double Pixels2Fraction(double pixels, int size) {
  if (size <= 0 || !std::isfinite(pixels)) return 0.0;
  const double want = std::trunc(pixels);
  double f = pixels / size;
  // The quotient can land one step short of (or past) the pixel it names.
  for (int i = 0; i < 4 && std::trunc(size * f) < want; ++i) f = std::nextafter(f, HUGE_VAL);
  for (int i = 0; i < 4 && std::trunc(size * f) > want; ++i) f = std::nextafter(f, -HUGE_VAL);
  return f;
}

RELRECT PixelRect2Rel(double x, double y, double w, double h, int width, int height) {
  return RELRECT{Pixels2Fraction(x, width), Pixels2Fraction(x + w, width), Pixels2Fraction(y, height),
                 Pixels2Fraction(y + h, height)};
}

RectUnits UnitsOf(const char *text) {
  bool pixels = false, percent = false;
  if (text) ForEachValue(text, [&](int, double, bool pc, const char *) { (pc ? percent : pixels) = true; });
  return percent ? (pixels ? RectUnits::kMixed : RectUnits::kPercent) : RectUnits::kPixels;
}

std::string RectInPixels(const char *text, int width, int height) {
  std::string out;
  const char *copied = text;
  ForEachValue(text, [&](int index, double value, bool percent, const char *end) {
    const char *start = end - percent;
    while (start > copied && std::strchr("0123456789.eE+-", start[-1])) --start;
    out.append(copied, start);
    char number[40];
    const int size = index % 2 ? height : width;
    std::snprintf(number, sizeof number, "%.17g", percent ? value / 100.0 * size : value);
    out += number;
    copied = end;
  });
  return out + copied;
}

}  // namespace zv::adapters
