// Snapshots: a port's pixels as an RGB PNG, compressed with zlib (the same
// pixels always give the same bytes).
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "toolkit.h"

namespace zv::tk {
namespace {

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

}  // namespace

bool WritePng(GWorldPtr port, const std::string &path) {
  if (!port) return false;
  PixMapHandle pm = GetPortPixMap(port);
  Rect b;
  GetPortBounds(port, &b);
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (!pm || w <= 0 || h <= 0) return false;
  const auto *base = reinterpret_cast<const uint8_t *>(GetPixBaseAddr(pm));
  const long rowBytes = GetPixRowBytes(pm);

  std::vector<uint8_t> raw;  // filter byte 0, then RGB
  raw.reserve(static_cast<size_t>(h) * (1 + 3 * w));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) raw.insert(raw.end(), base + y * rowBytes + x * 4 + 1, base + y * rowBytes + x * 4 + 4);
  }
  uLongf packed = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> z(packed);
  if (compress2(z.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) return false;
  z.resize(packed);


  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32(ihdr, static_cast<uint32_t>(w));
  Put32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace zv::tk
