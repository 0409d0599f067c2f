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
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Slurp(const char *path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 16) return std::fprintf(stderr, "usage: see the source\n"), 2;
  const std::string layout = argv[1];
  const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
  const auto a = Slurp(argv[4]), b = Slurp(argv[5]);
  const int left = std::atoi(argv[6]), top = std::atoi(argv[7]), right = std::atoi(argv[8]), bottom = std::atoi(argv[9]);
  const double floors[3] = {std::atof(argv[10]), std::atof(argv[11]), std::atof(argv[12])};
  const bool bt709 = std::string(argv[13]) == "709", full = std::string(argv[14]) == "pc";
  const double bound = std::atof(argv[15]);
  const int bytes = layout == "422x16" ? 2 : 1, cw = w / 2, ch = layout == "420" ? h / 2 : h;
  const double scale = bytes == 2 ? (full ? 65535.0 / 255 : 256.0) : 1.0;
  const double kr = bt709 ? 0.2126 : 0.299, kb = bt709 ? 0.0722 : 0.114;
  const std::size_t frame = static_cast<std::size_t>(w * h + 2 * cw * ch) * bytes;
  if (a.size() != b.size() || a.empty() || a.size() % frame) return std::fprintf(stderr, "FAIL: sizes differ\n"), 1;
  auto sample = [&](const std::vector<unsigned char> &v, std::size_t at) {
    return bytes == 2 ? v[at] | v[at + 1] << 8 : v[at];
  };
  auto inside = [&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; };
  // R'G'B' of pixel (x, y) on 0..255, by the colour space's definition.
  auto rgb = [&](const std::vector<unsigned char> &v, std::size_t f, int x, int y, double out[3]) {
    const int cy = layout == "420" ? y / 2 : y;
    const std::size_t cb = f + static_cast<std::size_t>(w * h) * bytes, cr = cb + static_cast<std::size_t>(cw * ch) * bytes;
    const double Y = sample(v, f + static_cast<std::size_t>(y * w + x) * bytes) / scale;
    const double U = sample(v, cb + static_cast<std::size_t>(cy * cw + x / 2) * bytes) / scale - 128;
    const double V = sample(v, cr + static_cast<std::size_t>(cy * cw + x / 2) * bytes) / scale - 128;
    const double l = full ? Y : (Y - 16) * 255 / 219, cs = full ? 1.0 : 255.0 / 224;
    out[0] = l + 2 * (1 - kr) * V * cs;
    out[2] = l + 2 * (1 - kb) * U * cs;
    out[1] = (l - kr * out[0] - kb * out[2]) / (1 - kr - kb);
  };
  long outside = 0, checked = 0;
  double worst = 0;
  for (std::size_t f = 0; f < a.size(); f += frame) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::size_t at = f + static_cast<std::size_t>(y * w + x) * bytes;
        const int x0 = x & ~1, y0 = layout == "420" ? y & ~1 : y, y1 = layout == "420" ? y0 + 1 : y0;
        const bool whole = inside(x0, y0) && inside(x0 + 1, y0) && inside(x0, y1) && inside(x0 + 1, y1);
        if (!inside(x, y)) {
          outside += sample(a, at) != sample(b, at);
          // its chroma, shared or not
          const std::size_t c = static_cast<std::size_t>((layout == "420" ? y / 2 : y) * cw + x / 2) * bytes;
          const std::size_t cb = f + static_cast<std::size_t>(w * h) * bytes;
          for (std::size_t p : {cb + c, cb + static_cast<std::size_t>(cw * ch) * bytes + c})
            outside += sample(a, p) != sample(b, p);
          continue;
        }
        if (!whole) continue;
        double before[3], after[3];
        rgb(a, f, x, y, before);
        rgb(b, f, x, y, after);
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::fabs(after[c] - (floors[c] > 0 ? std::max(before[c], floors[c]) : before[c])));
        ++checked;
      }
  }
  std::printf("changed outside: %ld; pixels checked inside: %ld; largest deviation: %.2f levels\n", outside, checked,
              worst);
  return outside || !checked || worst > bound ? 1 : 0;
}
