// The filters' road on RGBA frames against the plug-in's own ARGB road.
#include "FilterRoad.h"

#include "Blit.h"
#include "callpixelfx.h"
#include "DataHandling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using zv::adapters::RenderFrame;

constexpr int kW = 37, kH = 23;  // odd width

PLUGINDATAREC Config(RELRECT rel, SInt16 r, SInt16 g, SInt16 b) {
  PLUGINDATAREC c{};
  ResetConfig(&c, true);
  c.STARTREL = rel;
  std::tie(c.SLIDERS[0], c.SLIDERS[1], c.SLIDERS[2]) = std::tuple(r, g, b);
  return c;
}

std::vector<UInt8> RandomPixels(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<UInt8> px(kW * kH * 4);
  for (auto &v : px) v = static_cast<UInt8>(rng());
  return px;
}

// The plug-in's render pass on an ARGB copy, returned in RGBA order.
std::vector<UInt8> ArgbRoad(const PLUGINDATAREC &config, const std::vector<UInt8> &rgba, SInt16 opacity) {
  const Rect bounds = {0, 0, kH, kW};
  GWorldPtr src = nullptr, dst = nullptr;
  for (GWorldPtr *gw : {&src, &dst}) NewGWorld(gw, 32, &bounds, nullptr, nullptr, 0);
  auto *s = reinterpret_cast<UInt8 *>(GetPixBaseAddr(GetGWorldPixMap(src)));
  const long rb = GetPixRowBytes(GetGWorldPixMap(src));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < 4; ++c) s[y * rb + x * 4 + (c + 1) % 4] = rgba[(y * kW + x) * 4 + c];
  DoPascalPixelEffect(src, dst, const_cast<PLUGINDATAPTR>(&config), 0, 0);
  if (opacity >= 0)
    zv::blend::BlitPixMaps(GetGWorldPixMap(src), GetGWorldPixMap(dst), &bounds, &bounds, opacity);
  std::vector<UInt8> out(rgba.size());
  const auto *d = reinterpret_cast<const UInt8 *>(GetPixBaseAddr(GetGWorldPixMap(dst)));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < 4; ++c) out[(y * kW + x) * 4 + c] = d[y * rb + x * 4 + (c + 1) % 4];
  DisposeGWorld(src), DisposeGWorld(dst);
  return out;
}

// The filters' road on rows padded as some hosts pad them; the padding is the host's.
std::vector<UInt8> RgbaRoad(const PLUGINDATAREC &config, const std::vector<UInt8> &in, SInt16 opacity) {
  constexpr int kRow = kW * 4, kStride = kRow + 12;
  std::vector<UInt8> src(kStride * kH, 0xA5), dst(kStride * kH, 0x5A), out(in.size());
  for (int y = 0; y < kH; ++y) std::memcpy(&src[y * kStride], &in[y * kRow], kRow);
  EXPECT_TRUE(RenderFrame(config, src.data(), dst.data(), kW, kH, kStride, opacity));
  for (int y = 0; y < kH; ++y) std::memcpy(&out[y * kRow], &dst[y * kStride], kRow);
  EXPECT_EQ(std::count(dst.begin(), dst.end(), 0x5A), std::count(out.begin(), out.end(), 0x5A) + 12 * kH);
  return out;
}

TEST(FilterRoad, BadParametersGetThePluginsRules) {
  const auto in = RandomPixels(2);
  const double nan = std::nan(""), inf = INFINITY;
  // Not-a-number edges sit at the frame's origin; infinite ones saturate.
  EXPECT_EQ(RgbaRoad(Config({nan, inf, -inf, nan}, 50, 50, 50), in, -1),
            ArgbRoad(Config({0, 2, -1, 0}, 50, 50, 50), in, -1));
  // Rectangles on and across the frame's edges, with and without a fade.
  for (RELRECT rel : {RELRECT{0, 1, 0, 1}, {0.5, 1.5, -0.5, 0.5}, {0.03, 0.97, 0.05, 0.96}})
    for (SInt16 opacity : {-1, 90})
      EXPECT_EQ(RgbaRoad(Config(rel, 70, 20, 100), in, opacity), ArgbRoad(Config(rel, 70, 20, 100), in, opacity));
  // 0.505 is round(50.5), not the truncated 50.
  for (auto [f, want] : {std::pair{nan, 0}, {-0.2, 0}, {0.505, 51}, {7.0, 100}})
    EXPECT_EQ(zv::adapters::Fraction2Slider(f), want) << f;

  // One pixel is a frame like any other.
  std::vector<UInt8> one = {1, 2, 3, 4}, out(4);
  EXPECT_TRUE(RenderFrame(Config({0, 1, 0, 1}, 100, 0, 50), one.data(), out.data(), 1, 1, 4, -1));
  EXPECT_EQ(out, (std::vector<UInt8>{255, 2, 127, 4}));
  // Wider than any image can be: copied unchanged.
  std::vector<UInt8> wide(40000 * 4, 7), wideOut(wide.size());
  EXPECT_FALSE(RenderFrame(Config({0, 1, 0, 1}, 100, 100, 100), wide.data(), wideOut.data(), 40000, 1, 160000, -1));
  EXPECT_EQ(wideOut, wide);
}

// MLT renders frames of one filter, and of several, on many threads at once.
TEST(FilterRoad, ThreadsRenderingAtOnceGetWhatOneThreadGets) {
  const auto in = RandomPixels(3);
  std::vector<PLUGINDATAREC> configs;
  std::vector<std::vector<UInt8>> expected;
  for (int t = 0; t < 4; ++t) {
    configs.push_back(Config({0.1 * t, 0.5 + 0.1 * t, 0.0, 0.9}, 25 * t, 100 - 25 * t, 40));
    expected.push_back(ArgbRoad(configs.back(), in, static_cast<SInt16>(t % 2 ? 60 * t : -1)));
  }
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      std::vector<UInt8> out(in.size());
      for (int i = 0; i < 200; ++i) {
        RenderFrame(configs[t], in.data(), out.data(), kW, kH, kW * 4, static_cast<SInt16>(t % 2 ? 60 * t : -1));
        wrong[t] += out != expected[t];
      }
    });
  for (auto &th : threads) th.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
