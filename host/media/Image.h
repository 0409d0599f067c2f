// 32-bit images in memory order alpha, red, green, blue: a view over pixels
// someone else owns (an offscreen image, a test buffer) and an owning buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::media {

struct ArgbView {
  std::uint8_t *data = nullptr;
  std::ptrdiff_t stride = 0;  // bytes from one row to the next
  int width = 0;
  int height = 0;

  std::uint8_t *Row(int y) const { return data + y * stride; }
};

struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  ArgbImage() = default;
  ArgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4) {}
  ArgbView View() { return {pixels.data(), static_cast<std::ptrdiff_t>(width) * 4, width, height}; }
};

// How carefully a frame is scaled; low quality may use a faster filter.
enum class Quality { Low, High };

}  // namespace zv::media
