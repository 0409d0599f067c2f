// Compares a Y'CbCr render with the filter against the same render without it:
// every sample a pixel outside the rectangle uses is equal, and inside, pixels
// whose chroma no outside pixel shares read back in R'G'B' as the frame raised
// to the floors, within BOUND levels (values beyond 0..255 kept where above).
// Usage: ycbcr_check 422|420|422x16 W H WITHOUT WITH LEFT TOP RIGHT BOTTOM
//                    RED GREEN BLUE 601|709 tv|pc BOUND
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  if (argc != 16) return std::fprintf(stderr, "usage: see the source\n"), 2;
  const std::string layout = argv[1];
  int n[6];  // W H LEFT TOP RIGHT BOTTOM
  for (int i = 0; i < 6; ++i) n[i] = std::atoi(argv[i < 2 ? 2 + i : 4 + i]);
  const auto [w, h, left, top, right, bottom] = n;
  std::vector<unsigned char> a, b;
  for (auto [v, path] : {std::pair{&a, argv[4]}, std::pair{&b, argv[5]}}) {
    std::ifstream f(path, std::ios::binary);
    v->assign(std::istreambuf_iterator<char>(f), {});
  }
  const double floors[3] = {std::atof(argv[10]), std::atof(argv[11]), std::atof(argv[12])};
  const bool bt709 = std::string(argv[13]) == "709", full = std::string(argv[14]) == "pc";
  const int bytes = layout == "422x16" ? 2 : 1, sub = layout == "420" ? 2 : 1, cw = w / 2, ch = h / sub;
  const double scale = bytes == 2 ? (full ? 65535.0 / 255 : 256.0) : 1.0;
  const double kr = bt709 ? 0.2126 : 0.299, kb = bt709 ? 0.0722 : 0.114;
  const std::size_t frame = static_cast<std::size_t>(w * h + 2 * cw * ch) * bytes;
  if (a.size() != b.size() || a.empty() || a.size() % frame) return std::fprintf(stderr, "sizes differ\n"), 1;
  auto at = [&](std::size_t f, int plane, int x, int y) {  // byte offset of a sample
    return f + static_cast<std::size_t>(plane ? w * h + (plane - 1) * cw * ch + y / sub * cw + x / 2 : y * w + x) * bytes;
  };
  auto sample = [&](const std::vector<unsigned char> &v, std::size_t i) {
    return (bytes == 2 ? v[i] | v[i + 1] << 8 : v[i]) / scale;
  };
  auto inside = [&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; };
  long outside = 0, checked = 0;
  double worst = 0;
  for (std::size_t f = 0; f < a.size(); f += frame)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (!inside(x, y)) {
          for (int p = 0; p < 3; ++p) outside += sample(a, at(f, p, x, y)) != sample(b, at(f, p, x, y));
          continue;
        }
        const int x0 = x & ~1, y0 = y / sub * sub, y1 = y0 + sub - 1;
        if (!inside(x0 + 1, y0) || !inside(x0, y0) || !inside(x0, y1) || !inside(x0 + 1, y1)) continue;
        // R'G'B' on 0..255 by the colour space's definition.
        double rgb[2][3];
        for (int k = 0; k < 2; ++k) {
          const auto &v = k ? b : a;
          const double l = full ? sample(v, at(f, 0, x, y)) : (sample(v, at(f, 0, x, y)) - 16) * 255 / 219;
          const double cs = full ? 1.0 : 255.0 / 224;
          const double u = (sample(v, at(f, 1, x, y)) - 128) * cs, r = (sample(v, at(f, 2, x, y)) - 128) * cs;
          rgb[k][0] = l + 2 * (1 - kr) * r, rgb[k][2] = l + 2 * (1 - kb) * u;
          rgb[k][1] = (l - kr * rgb[k][0] - kb * rgb[k][2]) / (1 - kr - kb);
        }
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::fabs(rgb[1][c] - (floors[c] > 0 ? std::max(rgb[0][c], floors[c]) : rgb[0][c])));
        ++checked;
      }
  std::printf("changed outside: %ld; pixels checked inside: %ld; largest deviation: %.2f levels\n", outside, checked,
              worst);
  return outside || !checked || worst > std::atof(argv[15]) ? 1 : 0;
}
