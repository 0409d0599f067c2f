// Offscreen images and ports: creation, disposal, pixel maps and their lock
// state, the process's current port and device, the port colours.
//
// Sections: pixel buffers and their recycling · live ports · NewGWorld and
// DisposeGWorld · pixel maps · current port and device · colours.

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "PlatformTesting.h"
#include "quickdraw/Port.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ZV_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define ZV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define ZV_POISON(p, n) ((void)(p), (void)(n))
#define ZV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// ---- Pixel buffers ----------------------------------------------------------

// A work image of a video frame is made and disposed of for every frame. A fresh
// mapping of a large buffer costs far more in page faults than the work done on
// it, so a few freed large buffers are kept for the next image of the same size.
// Kept buffers are poisoned for the address sanitizer, so a use after
// DisposeGWorld is still caught.
class BufferPool {
 public:
  static constexpr std::size_t kAlign = 64;

  BufferPool() = default;
  BufferPool(const BufferPool &) = delete;
  BufferPool &operator=(const BufferPool &) = delete;
  ~BufferPool() {
    while (!kept_.empty()) dropOldest();
  }

  void *take(std::size_t bytes) {
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
      if (it->bytes == bytes) {
        void *p = it->p;
        kept_.erase(std::next(it).base());
        keptBytes_ -= bytes;
        ZV_UNPOISON(p, bytes);
        return p;
      }
    }
    return std::aligned_alloc(kAlign, roundUp(bytes));
  }

  void give(void *p, std::size_t bytes) {
    if (bytes < kMinKept || bytes > kMaxKeptBytes) {
      std::free(p);
      return;
    }
    while (kept_.size() >= kMaxKept || keptBytes_ + bytes > kMaxKeptBytes) dropOldest();
    try {
      kept_.push_back({p, bytes});
    } catch (const std::bad_alloc &) {
      std::free(p);
      return;
    }
    keptBytes_ += bytes;
    ZV_POISON(p, bytes);
  }

  static std::size_t roundUp(std::size_t bytes) { return (bytes + kAlign - 1) / kAlign * kAlign; }

 private:
  static constexpr std::size_t kMinKept = 1 << 20;
  static constexpr std::size_t kMaxKept = 4;
  static constexpr std::size_t kMaxKeptBytes = std::size_t{160} << 20;

  struct Kept {
    void *p;
    std::size_t bytes;
  };

  void dropOldest() {
    ZV_UNPOISON(kept_.front().p, kept_.front().bytes);
    std::free(kept_.front().p);
    keptBytes_ -= kept_.front().bytes;
    kept_.erase(kept_.begin());
  }

  std::vector<Kept> kept_;
  std::size_t keptBytes_ = 0;
};

BufferPool &pool() {
  static BufferPool p;
  return p;
}

std::size_t bufferBytes(const OpaqueGrafPtr &port) {
  const Rect &b = port.pixMap.bits.bounds;
  return static_cast<std::size_t>(port.pixMap.bits.rowBytes) * static_cast<std::size_t>(b.bottom - b.top);
}

// ---- Live ports -------------------------------------------------------------

// Ports that exist, so a stale or doubled DisposeGWorld, or a stale SetPort,
// cannot reach freed memory.
std::unordered_set<OpaqueGrafPtr *> &livePorts() {
  static std::unordered_set<OpaqueGrafPtr *> ports;
  return ports;
}

bool isLive(OpaqueGrafPtr *port) { return port && livePorts().count(port) != 0; }

OpaqueGrafPtr *gCurrentPort = nullptr;
OpaqueGDHandle *gCurrentDevice = nullptr;

// -1: disarmed; otherwise the number of calls that still succeed.
int gNewGWorldFailAfter = -1;

bool injectedFailure() {
  if (gNewGWorldFailAfter < 0) return false;
  if (gNewGWorldFailAfter-- == 0) return true;
  return false;
}

PixMap *deref(PixMapHandle pm) { return pm ? *pm : nullptr; }

}  // namespace

// The one graphics device. Nothing reads it; it only has to be a stable value.
struct OpaqueGDHandle {
  int unused;
};

namespace {
OpaqueGDHandle gMainDevice{};
}

namespace zv::qd {
OpaqueGrafPtr *currentPort() { return gCurrentPort; }
}  // namespace zv::qd

extern "C" {

void ZVFailNewGWorldAfter(int n) { gNewGWorldFailAfter = n < 0 ? -1 : n; }

// ---- NewGWorld and DisposeGWorld --------------------------------------------

QDErr NewGWorld(GWorldPtr *offscreenGWorld, short pixelDepth, const Rect *boundsRect, CTabHandle, GDHandle,
                GWorldFlags) {
  if (!offscreenGWorld) return paramErr;
  *offscreenGWorld = nullptr;
  if (!boundsRect || (pixelDepth != 0 && pixelDepth != 32)) return paramErr;
  const int width = boundsRect->right - boundsRect->left;
  const int height = boundsRect->bottom - boundsRect->top;
  if (width <= 0 || height <= 0) return paramErr;
  if (injectedFailure()) return memFullErr;

  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 4 + 15) & ~std::size_t{15};
  const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);

  auto *port = new (std::nothrow) OpaqueGrafPtr{};
  if (!port) return memFullErr;
  void *buffer = pool().take(bytes);
  if (!buffer) {
    delete port;
    return memFullErr;
  }
  try {
    livePorts().insert(port);
  } catch (const std::bad_alloc &) {
    std::free(buffer);
    delete port;
    return memFullErr;
  }
  std::memset(buffer, 0, bytes);

  port->pixMap.bits = {static_cast<Ptr>(buffer), static_cast<long>(rowBytes), *boundsRect, port};
  port->pixMap.state = 0;
  port->pixMap.pixelSize = 32;
  port->master = &port->pixMap;
  port->fore = {0, 0, 0};
  port->back = {0xFFFF, 0xFFFF, 0xFFFF};
  port->penMode = patCopy;
  port->penSize = {1, 1};
  port->clip = *boundsRect;
  *offscreenGWorld = port;
  return noErr;
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
  if (!isLive(offscreenGWorld)) return;
  livePorts().erase(offscreenGWorld);
  if (gCurrentPort == offscreenGWorld) gCurrentPort = nullptr;
  pool().give(offscreenGWorld->pixMap.bits.baseAddr, bufferBytes(*offscreenGWorld));
  delete offscreenGWorld;
}

// ---- Pixel maps -------------------------------------------------------------

PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld) { return offscreenGWorld ? &offscreenGWorld->master : nullptr; }

PixMapHandle GetPortPixMap(CGrafPtr port) { return GetGWorldPixMap(port); }

// Pixels never move or get purged, so locking always succeeds; the flag is
// kept so that callers saving and restoring the state see what they set.
Boolean LockPixels(PixMapHandle pm) {
  PixMap *p = deref(pm);
  if (!p) return false;
  p->state |= pixelsLocked;
  return true;
}

void UnlockPixels(PixMapHandle pm) {
  if (PixMap *p = deref(pm)) p->state &= ~GWorldFlags{pixelsLocked};
}

GWorldFlags GetPixelsState(PixMapHandle pm) {
  PixMap *p = deref(pm);
  return p ? p->state : 0;
}

void SetPixelsState(PixMapHandle pm, GWorldFlags state) {
  if (PixMap *p = deref(pm)) p->state = state & (pixelsLocked | pixelsPurgeable);
}

Ptr GetPixBaseAddr(PixMapHandle pm) {
  PixMap *p = deref(pm);
  return p ? p->bits.baseAddr : nullptr;
}

long GetPixRowBytes(PixMapHandle pm) {
  PixMap *p = deref(pm);
  return p ? p->bits.rowBytes : 0;
}

void GetPixBounds(PixMapHandle pm, Rect *bounds) {
  if (!bounds) return;
  PixMap *p = deref(pm);
  *bounds = p ? p->bits.bounds : Rect{0, 0, 0, 0};
}

// ---- Ports, current port and device -----------------------------------------

Rect *GetPortBounds(CGrafPtr port, Rect *rect) {
  if (rect) *rect = port ? port->pixMap.bits.bounds : Rect{0, 0, 0, 0};
  return rect;
}

const BitMap *GetPortBitMapForCopyBits(CGrafPtr port) { return port ? &port->pixMap.bits : nullptr; }

GDHandle GetGDevice(void) { return gCurrentDevice ? gCurrentDevice : &gMainDevice; }

void GetGWorld(CGrafPtr *port, GDHandle *gdh) {
  if (port) *port = gCurrentPort;
  if (gdh) *gdh = GetGDevice();
}

// A port that no longer exists is never made current: there is then no current
// port, and drawing does nothing instead of writing into freed memory.
void SetGWorld(CGrafPtr port, GDHandle gdh) {
  gCurrentPort = isLive(port) ? port : nullptr;
  gCurrentDevice = gdh ? gdh : &gMainDevice;
}

void GetPort(GrafPtr *port) {
  if (port) *port = gCurrentPort;
}

void SetPort(GrafPtr port) { gCurrentPort = isLive(port) ? port : nullptr; }

// ---- Colours ----------------------------------------------------------------

void RGBForeColor(const RGBColor *color) {
  if (gCurrentPort && color) gCurrentPort->fore = *color;
}

void RGBBackColor(const RGBColor *color) {
  if (gCurrentPort && color) gCurrentPort->back = *color;
}

void GetForeColor(RGBColor *color) {
  if (gCurrentPort && color) *color = gCurrentPort->fore;
}

void GetBackColor(RGBColor *color) {
  if (gCurrentPort && color) *color = gCurrentPort->back;
}

}  // extern "C"
