// An RGBA frame of a filter host at 1080p, two ways through the pixel loop:
// converted to alpha, red, green, blue and back around the plug-in's loop, or
// with the loop taught the host's order (an image over the host's buffers).
// The filters use the second; this is the measurement behind that choice.
#include "DataHandling.h"
#include "callpixelfx.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr short kWidth = 1920, kHeight = 1080;
constexpr long kRowBytes = 4L * kWidth;

struct HostFrames {
  std::vector<std::uint32_t> in, out;
  PLUGINDATAREC config;
  HostFrames() : in(std::size_t{kWidth} * kHeight), out(in.size()) {
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint32_t>(i * 2654435761u);
    std::memset(&config, 0, sizeof config);
    ResetConfig(&config, true);
    config.STARTREL = {0.1, 0.9, 0.1, 0.9};
  }
};

const Rect kBounds{0, 0, kHeight, kWidth};

// R,G,B,A bytes to A,R,G,B and back are byte rotations of each 32-bit pixel.
void Rotate(const std::uint32_t *src, long srcRow, std::uint32_t *dst, long dstRow, bool toArgb) {
  for (int y = 0; y < kHeight; ++y) {
    const auto *s = reinterpret_cast<const std::uint32_t *>(reinterpret_cast<const char *>(src) + y * srcRow);
    auto *d = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(dst) + y * dstRow);
    for (int x = 0; x < kWidth; ++x) d[x] = toArgb ? std::rotl(s[x], 8) : std::rotr(s[x], 8);
  }
}

void BM_ConvertAround(benchmark::State &state) {
  HostFrames f;
  GWorldPtr work = nullptr;
  NewGWorld(&work, 32, &kBounds, nullptr, nullptr, 0);
  auto *base = reinterpret_cast<std::uint32_t *>(GetPixBaseAddr(GetGWorldPixMap(work)));
  const long rb = GetPixRowBytes(GetGWorldPixMap(work));
  for (auto _ : state) {
    Rotate(f.in.data(), kRowBytes, base, rb, true);
    DoPascalPixelEffect(work, work, &f.config, 0, 0);
    Rotate(base, rb, f.out.data(), kRowBytes, false);
    benchmark::DoNotOptimize(f.out.data());
  }
  DisposeGWorld(work);
}
BENCHMARK(BM_ConvertAround)->Unit(benchmark::kMillisecond);

void BM_HostOrder(benchmark::State &state) {
  HostFrames f;
  for (auto _ : state) {
    GWorldPtr src = nullptr, dst = nullptr;
    NewGWorldFromPtr(&src, k32RGBAPixelFormat, &kBounds, nullptr, nullptr, 0, reinterpret_cast<Ptr>(f.in.data()),
                     kRowBytes);
    NewGWorldFromPtr(&dst, k32RGBAPixelFormat, &kBounds, nullptr, nullptr, 0, reinterpret_cast<Ptr>(f.out.data()),
                     kRowBytes);
    DoPascalPixelEffect(src, dst, &f.config, 0, 0);
    DisposeGWorld(src);
    DisposeGWorld(dst);
    benchmark::DoNotOptimize(f.out.data());
  }
}
BENCHMARK(BM_HostOrder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
