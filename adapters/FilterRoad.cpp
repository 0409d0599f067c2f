#include "FilterRoad.h"

#include "Blit.h"
#include "DataHandling.h"
#include "callpixelfx.h"
#include "prefsloader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace zv::adapters {

namespace {

// An image over a host's buffer, disposed of with the scope.
class HostImage {
 public:
  HostImage(std::uint8_t *pixels, int width, int height, std::ptrdiff_t stride) {
    const Rect bounds = {0, 0, static_cast<short>(height), static_cast<short>(width)};
    NewGWorldFromPtr(&port_, k32RGBAPixelFormat, &bounds, nullptr, nullptr, 0, reinterpret_cast<Ptr>(pixels),
                     static_cast<long>(stride));
  }
  ~HostImage() { DisposeGWorld(port_); }
  HostImage(const HostImage &) = delete;
  HostImage &operator=(const HostImage &) = delete;

  GWorldPtr get() const { return port_; }

 private:
  GWorldPtr port_ = nullptr;
};

SInt16 Round2Slider(double percent) {
  if (std::isnan(percent)) return 0;
  return static_cast<SInt16>(std::lround(std::clamp(percent, 0.0, 100.0)));
}

void CopyFrame(const std::uint8_t *in, std::uint8_t *out, int width, int height, std::ptrdiff_t stride) {
  if (in == out || width <= 0 || height <= 0) return;
  for (int y = 0; y < height; ++y) std::memcpy(out + y * stride, in + y * stride, static_cast<std::size_t>(width) * 4);
}

}  // namespace

const PLUGINDATAREC &StoredConfig() {
  static PLUGINDATAREC stored{};
  static std::once_flag once;
  std::call_once(once, [] {
    ResetConfig(&stored, true);
    ReadConfig(&stored);  // false keeps the defaults
  });
  return stored;
}

SInt16 Fraction2Slider(double value) { return Round2Slider(value * 100.0); }

SInt16 Percent2Slider(double value) { return Round2Slider(value); }

bool RenderFrame(const PLUGINDATAREC &theConfig, const std::uint8_t *in, std::uint8_t *out, int width, int height,
                 std::ptrdiff_t stride, SInt16 opacity) {
  constexpr int kMaxSide = 32767;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || stride < std::ptrdiff_t{4} * width) {
    CopyFrame(in, out, width, height, stride);
    return false;
  }
  // The source is only read: the effect writes its destination alone.
  HostImage source(const_cast<std::uint8_t *>(in), width, height, stride);
  HostImage dest(out, width, height, stride);
  if (!source.get() || !dest.get()) {
    CopyFrame(in, out, width, height, stride);
    return false;
  }
  // The same buffer twice is an effect in place.
  DoPascalPixelEffect(source.get(), dest.get(), const_cast<PLUGINDATAPTR>(&theConfig), 0, 0);
  if (opacity >= 0 && in != out) {
    Rect bounds;
    GetPortBounds(source.get(), &bounds);
    zv::blend::BlitPixMaps(GetGWorldPixMap(source.get()), GetGWorldPixMap(dest.get()), &bounds, &bounds, opacity);
  }
  return true;
}

}  // namespace zv::adapters
