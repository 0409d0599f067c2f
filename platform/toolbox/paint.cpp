// Toolkit drawing: fills, frames and FreeType text straight into port pixels.
#include "paint.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace zv::tk {

namespace {

constexpr const char *kFontFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                      "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};
constexpr int kPixelSize = 12;

struct Glyph {
  int left = 0, top = 0, width = 0, rows = 0, advance = 0;
  std::vector<uint8_t> coverage;
};

// One library, two faces, glyphs rendered once. A missing font leaves text
// undrawn (said once on standard error) rather than stopping the program.
class Fonts {
public:
  static Fonts &get() {
    static Fonts fonts;
    return fonts;
  }
  const Glyph *glyph(FontStyle style, uint32_t code) {
    int s = style == FontStyle::Bold ? 1 : 0;
    if (!faces_[s]) return nullptr;
    auto key = std::make_pair(s, code);
    auto it = cache_.find(key);
    if (it != cache_.end()) return &it->second;
    Glyph g;
    FT_Face face = faces_[s];
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) == 0) {
      FT_GlyphSlot slot = face->glyph;
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      g.width = static_cast<int>(slot->bitmap.width);
      g.rows = static_cast<int>(slot->bitmap.rows);
      g.advance = static_cast<int>(slot->advance.x >> 6);
      g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
      for (int y = 0; y < g.rows; ++y)
        std::copy_n(slot->bitmap.buffer + static_cast<long>(y) * slot->bitmap.pitch, g.width,
                    g.coverage.begin() + static_cast<long>(y) * g.width);
    }
    return &cache_.emplace(key, std::move(g)).first->second;
  }
  int ascent() const { return faces_[0] ? static_cast<int>(faces_[0]->size->metrics.ascender >> 6) : kPixelSize; }
  int lineHeight() const {
    return faces_[0] ? static_cast<int>(faces_[0]->size->metrics.height >> 6) : kPixelSize + 3;
  }

private:
  Fonts() {
    if (FT_Init_FreeType(&library_) != 0) {
      std::fputs("zorvane: cannot start FreeType; texts are not drawn\n", stderr);
      library_ = nullptr;
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (FT_New_Face(library_, kFontFiles[i], 0, &faces_[i]) != 0) {
        std::fprintf(stderr, "zorvane: cannot open the font %s; texts are not drawn\n", kFontFiles[i]);
        faces_[i] = nullptr;
        continue;
      }
      FT_Set_Pixel_Sizes(faces_[i], 0, kPixelSize);
    }
  }
  ~Fonts() {
    for (FT_Face f : faces_)
      if (f) FT_Done_Face(f);
    if (library_) FT_Done_FreeType(library_);
  }
  FT_Library library_ = nullptr;
  FT_Face faces_[2] = {nullptr, nullptr};
  std::map<std::pair<int, uint32_t>, Glyph> cache_;
};

// Invalid sequences become U+FFFD one byte at a time.
std::vector<uint32_t> Decode(const std::string &s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<uint8_t>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t code = extra <= 0 ? b : b & (0x7Fu >> (extra + 1));
    bool ok = extra >= 0 && i + extra < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      auto cont = static_cast<uint8_t>(s[i + k]);
      ok = (cont & 0xC0) == 0x80;
      code = code << 6 | (cont & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(code);
    i += extra + 1;
  }
  return out;
}

Rect Intersect(const Rect &a, const Rect &b) {
  Rect r{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
  if (r.bottom < r.top) r.bottom = r.top;
  if (r.right < r.left) r.right = r.left;
  return r;
}

}  // namespace

Canvas::Canvas(GWorldPtr port) {
  if (!port) return;
  PixMapHandle pm = GetPortPixMap(port);
  if (!pm) return;
  base_ = reinterpret_cast<uint8_t *>(GetPixBaseAddr(pm));
  rowBytes_ = GetPixRowBytes(pm);
  GetPortBounds(port, &bounds_);
  clip_ = bounds_;
}

void Canvas::clipTo(const Rect &r) { clip_ = Intersect(clip_, r); }

void Canvas::pixel(int x, int y, Colour c) { blend(x, y, c, 255); }

void Canvas::blend(int x, int y, Colour c, unsigned coverage) {
  if (!base_ || x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom || coverage == 0) return;
  uint8_t *p = base_ + (y - bounds_.top) * rowBytes_ + (x - bounds_.left) * 4;
  const unsigned src[3] = {c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF};
  p[0] = 0xFF;
  for (int k = 0; k < 3; ++k) p[k + 1] = static_cast<uint8_t>((src[k] * coverage + p[k + 1] * (255 - coverage) + 127) / 255);
}

uint32_t Canvas::at(int x, int y) const {
  if (!base_ || x < bounds_.left || x >= bounds_.right || y < bounds_.top || y >= bounds_.bottom) return 0;
  const uint8_t *p = base_ + (y - bounds_.top) * rowBytes_ + (x - bounds_.left) * 4;
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

void Canvas::fill(const Rect &r, Colour c) {
  Rect a = Intersect(r, clip_);
  for (int y = a.top; y < a.bottom; ++y)
    for (int x = a.left; x < a.right; ++x) blend(x, y, c, 255);
}

void Canvas::frame(const Rect &r, Colour c, int thickness) {
  for (int t = 0; t < thickness; ++t) {
    int top = r.top + t, left = r.left + t, bottom = r.bottom - 1 - t, right = r.right - 1 - t;
    if (bottom < top || right < left) return;
    for (int x = left; x <= right; ++x) {
      blend(x, top, c, 255);
      if (bottom != top) blend(x, bottom, c, 255);
    }
    for (int y = top + 1; y < bottom; ++y) {
      blend(left, y, c, 255);
      if (right != left) blend(right, y, c, 255);
    }
  }
}

void Canvas::invert(const Rect &r) {
  Rect a = Intersect(r, clip_);
  for (int y = a.top; y < a.bottom; ++y)
    for (int x = a.left; x < a.right; ++x) {
      uint8_t *p = base_ + (y - bounds_.top) * rowBytes_ + (x - bounds_.left) * 4;
      for (int k = 1; k < 4; ++k) p[k] = static_cast<uint8_t>(255 - p[k]);
    }
}

void Canvas::line(int x0, int y0, int x1, int y1, Colour c) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    blend(x0, y0, c, 255);
    if (x0 == x1 && y0 == y1) return;
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

void Canvas::fillOval(const Rect &r, Colour c) {
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
      if (nx * nx + ny * ny <= 1.0) blend(x, y, c, 255);
    }
}

int Canvas::text(int x, int y, const std::string &utf8, Colour c, FontStyle style) {
  for (uint32_t code : Decode(utf8)) {
    const Glyph *g = Fonts::get().glyph(style, code);
    if (!g) continue;
    for (int row = 0; row < g->rows; ++row)
      for (int col = 0; col < g->width; ++col)
        blend(x + g->left + col, y - g->top + row, c, g->coverage[static_cast<size_t>(row) * g->width + col]);
    x += g->advance;
  }
  return x;
}

int TextWidth(const std::string &utf8, FontStyle style) {
  int w = 0;
  for (uint32_t code : Decode(utf8))
    if (const Glyph *g = Fonts::get().glyph(style, code)) w += g->advance;
  return w;
}

int TextAscent() { return Fonts::get().ascent(); }
int LineHeight() { return Fonts::get().lineHeight(); }

std::vector<std::string> WrapText(const std::string &utf8, int width, FontStyle style) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t nl = utf8.find('\n', start);
    std::string para = utf8.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    std::string line;
    size_t i = 0;
    while (i < para.size()) {
      size_t sp = para.find(' ', i);
      std::string word = para.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
      std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && TextWidth(candidate, style) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      if (sp == std::string::npos) break;
      i = sp + 1;
    }
    lines.push_back(line);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

}  // namespace zv::tk
