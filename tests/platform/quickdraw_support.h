// Small helpers for the QuickDraw tests: an owned image and its pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QuickDraw.h"

namespace qdtest {

struct Px {
  std::uint8_t a, r, g, b;
  bool operator==(const Px &) const = default;
};

inline std::ostream &operator<<(std::ostream &os, const Px &p) {
  return os << "{a" << int(p.a) << " r" << int(p.r) << " g" << int(p.g) << " b" << int(p.b) << "}";
}

// An offscreen image that disposes of itself; pixels addressed in bounds coordinates.
class Image {
 public:
  Image(short top, short left, short bottom, short right) {
    const Rect r{top, left, bottom, right};
    EXPECT_EQ(NewGWorld(&gw_, 32, &r, nullptr, nullptr, 0), noErr);
  }
  Image(short width, short height) : Image(0, 0, height, width) {}
  ~Image() { DisposeGWorld(gw_); }
  Image(const Image &) = delete;

  GWorldPtr gw() const { return gw_; }
  const BitMap *bits() const { return GetPortBitMapForCopyBits(gw_); }
  Rect bounds() const {
    Rect r;
    GetPortBounds(gw_, &r);
    return r;
  }
  long rowBytes() const { return GetPixRowBytes(GetGWorldPixMap(gw_)); }
  std::uint8_t *row(int y) const {
    return reinterpret_cast<std::uint8_t *>(GetPixBaseAddr(GetGWorldPixMap(gw_))) + (y - bounds().top) * rowBytes();
  }
  Px &at(int x, int y) const { return *reinterpret_cast<Px *>(row(y) + 4 * (x - bounds().left)); }
  void fill(Px p) const {
    for (int y = bounds().top; y < bounds().bottom; ++y)
      for (int x = bounds().left; x < bounds().right; ++x) at(x, y) = p;
  }

  // One character per pixel, rows top to bottom; pixels not in the legend show as '?'.
  std::vector<std::string> picture(const std::vector<std::pair<char, Px>> &legend) const {
    std::vector<std::string> rows;
    for (int y = bounds().top; y < bounds().bottom; ++y) {
      rows.emplace_back();
      for (int x = bounds().left; x < bounds().right; ++x) {
        rows.back() += '?';
        for (const auto &[ch, px] : legend)
          if (at(x, y) == px) rows.back().back() = ch;
      }
    }
    return rows;
  }

 private:
  GWorldPtr gw_ = nullptr;
};

// Makes a port current for one test and puts the previous one back.
struct PortScope {
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  explicit PortScope(GWorldPtr port) {
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(port, nullptr);
  }
  ~PortScope() { SetGWorld(savedPort, savedDevice); }
};

}  // namespace qdtest
