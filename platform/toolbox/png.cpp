// Snapshots: a port's pixels as an RGB PNG. Stored (uncompressed) deflate
// blocks keep the writer small and its output byte-for-byte reproducible.
#include <cstdio>
#include <vector>

#include "toolkit.h"

namespace zv::tk {
namespace {

uint32_t Crc32(const uint8_t *p, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, Crc32(out.data() + start, out.size() - start));
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
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, bsum = 0;
  for (uint8_t v : raw) a = (a + v) % 65521, bsum = (bsum + a) % 65521;
  for (size_t off = 0; off < raw.size() || off == 0; off += 65535) {
    size_t n = std::min<size_t>(65535, raw.size() - off);
    z.push_back(off + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<long>(off), raw.begin() + static_cast<long>(off + n));
    if (off + n >= raw.size()) break;
  }
  Put32(z, bsum << 16 | a);

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
