// The pixel loop at 1080p: the plug-in's loop against the plain per-pixel loop
// it replaced, over the whole frame and over a centred half.
#include "DataHandling.h"
#include "pixeleffect.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr short kWidth = 1920, kHeight = 1080;

struct Frames {
  GWorldPtr src = nullptr, dst = nullptr;
  Frames() {
    Rect b{0, 0, kHeight, kWidth};
    NewGWorld(&src, 32, &b, nullptr, nullptr, 0);
    NewGWorld(&dst, 32, &b, nullptr, nullptr, 0);
    UInt8 *p = reinterpret_cast<UInt8 *>(GetPixBaseAddr(GetGWorldPixMap(src)));
    const long rb = GetPixRowBytes(GetGWorldPixMap(src));
    for (long i = 0; i < rb * kHeight; ++i) p[i] = static_cast<UInt8>(i * 2654435761u >> 11);
  }
  ~Frames() {
    DisposeGWorld(src);
    DisposeGWorld(dst);
  }
};

PLUGINDATAREC Config(bool half) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  if (half) c.STARTREL = {0.25, 0.75, 0.25, 0.75};
  return c;
}

Rect Active(bool half) {
  return half ? Rect{kHeight / 4, kWidth / 4, 3 * kHeight / 4, 3 * kWidth / 4} : Rect{0, 0, kHeight, kWidth};
}

// The loop as first written: one pixel at a time, a test per pixel.
void PlainLoop(GWorldPtr source, GWorldPtr dest, Rect r, const PLUGINDATAREC &c) {
  PixMapHandle spm = GetGWorldPixMap(source), dpm = GetGWorldPixMap(dest);
  const UInt8 *s = reinterpret_cast<const UInt8 *>(GetPixBaseAddr(spm));
  UInt8 *d = reinterpret_cast<UInt8 *>(GetPixBaseAddr(dpm));
  const long srb = GetPixRowBytes(spm), drb = GetPixRowBytes(dpm);
  const SInt16 red = static_cast<SInt16>(c.SLIDERS[0] * 2.55), green = static_cast<SInt16>(c.SLIDERS[1] * 2.55),
               blue = static_cast<SInt16>(c.SLIDERS[2] * 2.55);
  for (int row = 0; row < kHeight; ++row) {
    const UInt8 *sp = s + row * srb;
    UInt8 *dp = d + row * drb;
    for (int col = 0; col < kWidth; ++col, sp += 4, dp += 4) {
      UInt8 px[4];
      std::memcpy(px, sp, 4);
      if (row >= r.top && row < r.bottom && col >= r.left && col < r.right) {
        if (px[1] < red) px[1] = static_cast<UInt8>(red);
        if (px[2] < green) px[2] = static_cast<UInt8>(green);
        if (px[3] < blue) px[3] = static_cast<UInt8>(blue);
      }
      std::memcpy(dp, px, 4);
    }
  }
}

void BM_PixelEffect(benchmark::State &state) {
  Frames f;
  const bool half = state.range(0) != 0;
  PLUGINDATAREC c = Config(half);
  for (auto _ : state) {
    ThePixelEffect(f.src, f.dst, Active(half), true, &c, 0, 1);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * int64_t(kWidth) * kHeight * 4);
}

void BM_PlainLoop(benchmark::State &state) {
  Frames f;
  const bool half = state.range(0) != 0;
  PLUGINDATAREC c = Config(half);
  for (auto _ : state) {
    PlainLoop(f.src, f.dst, Active(half), c);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * int64_t(kWidth) * kHeight * 4);
}

}  // namespace

BENCHMARK(BM_PixelEffect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
