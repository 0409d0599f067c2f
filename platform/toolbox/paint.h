// Pixels of a port as the toolkit draws its own controls: plain fills and
// frames clipped to the port, and text set with FreeType. The controls'
// look is ours; it does not go through the current port or its pen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "QuickDraw.h"

namespace zv::tk {

using Colour = uint32_t;  // 0xRRGGBB
constexpr Colour kBlack = 0x000000, kWhite = 0xFFFFFF, kFace = 0xE6E6E6, kShade = 0x9A9A9A, kSelect = 0x3366CC;

enum class FontStyle { Regular, Bold };

class Canvas {
public:
  explicit Canvas(GWorldPtr port);
  bool valid() const { return base_ != nullptr; }
  void clipTo(const Rect &r);  // further restricts drawing
  void fill(const Rect &r, Colour c);
  void frame(const Rect &r, Colour c, int thickness = 1);
  void invert(const Rect &r);
  void pixel(int x, int y, Colour c);
  void line(int x0, int y0, int x1, int y1, Colour c);
  void fillOval(const Rect &r, Colour c);
  // Text with its baseline at y; returns the pen position after it.
  int text(int x, int y, const std::string &utf8, Colour c, FontStyle style = FontStyle::Regular);
  uint32_t at(int x, int y) const;  // 0xAARRGGBB, for tests and snapshots

private:
  void blend(int x, int y, Colour c, unsigned coverage);
  uint8_t *base_ = nullptr;
  long rowBytes_ = 0;
  Rect bounds_{}, clip_{};
};

int TextWidth(const std::string &utf8, FontStyle style = FontStyle::Regular);
int TextAscent();
int LineHeight();
// Breaks text into lines no wider than width (words longer than that stand alone).
std::vector<std::string> WrapText(const std::string &utf8, int width, FontStyle style = FontStyle::Regular);

}  // namespace zv::tk
