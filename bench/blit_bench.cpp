// The host's Blit callback at 1080p, as a fade calls it once per frame: the
// whole frame blended at half opacity, against the plain per-pixel loop it
// replaced.
#include "Blit.h"

#include <benchmark/benchmark.h>

namespace {

constexpr short kWidth = 1920, kHeight = 1080;
constexpr Rect kFrame{0, 0, kHeight, kWidth};

struct Frames {
  GWorldPtr src = nullptr, dst = nullptr;
  Frames() {
    NewGWorld(&src, 32, &kFrame, nullptr, nullptr, 0);
    NewGWorld(&dst, 32, &kFrame, nullptr, nullptr, 0);
    for (GWorldPtr g : {src, dst}) {
      UInt8 *p = reinterpret_cast<UInt8 *>(GetPixBaseAddr(GetGWorldPixMap(g)));
      const long rb = GetPixRowBytes(GetGWorldPixMap(g));
      for (long i = 0; i < rb * kHeight; ++i) p[i] = static_cast<UInt8>((i + (g == dst)) * 2654435761u >> 11);
    }
  }
  ~Frames() {
    DisposeGWorld(src);
    DisposeGWorld(dst);
  }
};

// The blend as first written: one pixel at a time, dividing by 255.
void PlainBlend(GWorldPtr source, GWorldPtr dest, unsigned opacity) {
  PixMapHandle spm = GetGWorldPixMap(source), dpm = GetGWorldPixMap(dest);
  const UInt8 *sbase = reinterpret_cast<const UInt8 *>(GetPixBaseAddr(spm));
  UInt8 *dbase = reinterpret_cast<UInt8 *>(GetPixBaseAddr(dpm));
  const long srb = GetPixRowBytes(spm), drb = GetPixRowBytes(dpm);
  for (int y = 0; y < kHeight; ++y) {
    const UInt8 *s = sbase + y * srb;
    UInt8 *d = dbase + y * drb;
    for (int x = 0; x < kWidth; ++x, s += 4, d += 4) {
      d[1] = zv::blend::BlendChannel(s[1], d[1], opacity);
      d[2] = zv::blend::BlendChannel(s[2], d[2], opacity);
      d[3] = zv::blend::BlendChannel(s[3], d[3], opacity);
    }
  }
}

void Count(benchmark::State &state) {
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * int64_t(kWidth) * kHeight * 4);
}

void BM_BlitPixMaps(benchmark::State &state) {
  Frames f;
  const auto opacity = static_cast<SInt16>(state.range(0));
  PixMapHandle s = GetGWorldPixMap(f.src), d = GetGWorldPixMap(f.dst);
  for (auto _ : state) {
    zv::blend::BlitPixMaps(s, d, &kFrame, &kFrame, opacity);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void BM_PlainBlend(benchmark::State &state) {
  Frames f;
  const auto opacity = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    PlainBlend(f.src, f.dst, opacity);
    benchmark::ClobberMemory();
  }
  Count(state);
}

}  // namespace

BENCHMARK(BM_BlitPixMaps)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainBlend)->Arg(128)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
