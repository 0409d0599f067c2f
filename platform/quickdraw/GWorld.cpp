// Offscreen images and ports: creation, disposal, pixel maps and their lock
// state, the process's current port and device, the port colours.
//
// Sections: pixel buffers and their recycling · live ports · NewGWorld and
// DisposeGWorld · pixel maps · current port and device · colours.

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
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

// Filters inside other programs make and dispose of images on several threads
// at once; the live set and the buffer pool are shared, so they take turns.
std::mutex gPortsLock;

bool isLive(OpaqueGrafPtr *port) {
  std::lock_guard<std::mutex> hold(gPortsLock);
  return port && livePorts().count(port) != 0;
}

// Atomic so that threads saving and restoring it around their work (the pixel
// loop does) never race; drawing itself stays a one-thread affair.
std::atomic<OpaqueGrafPtr *> gCurrentPort{nullptr};
std::atomic<OpaqueGDHandle *> gCurrentDevice{nullptr};

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

namespace {

// Registers a port over buffer; on failure nothing is kept and buffer is the
// caller's again.
QDErr MakePort(GWorldPtr *offscreenGWorld, const Rect &bounds, OSType pixelFormat, void *buffer, long rowBytes,
               bool ownsPixels) {
  auto *port = new (std::nothrow) OpaqueGrafPtr{};
  if (!port) return memFullErr;
  try {
    std::lock_guard<std::mutex> hold(gPortsLock);
    livePorts().insert(port);
  } catch (const std::bad_alloc &) {
    delete port;
    return memFullErr;
  }
  port->pixMap.bits = {static_cast<Ptr>(buffer), rowBytes, bounds, port};
  port->pixMap.state = 0;
  port->pixMap.pixelSize = 32;
  port->pixMap.pixelFormat = pixelFormat;
  port->pixMap.ownsPixels = ownsPixels;
  port->master = &port->pixMap;
  port->fore = {0, 0, 0};
  port->back = {0xFFFF, 0xFFFF, 0xFFFF};
  port->clip = bounds;
  *offscreenGWorld = port;
  return noErr;
}

}  // namespace

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

  void *buffer;
  {
    std::lock_guard<std::mutex> hold(gPortsLock);
    buffer = pool().take(bytes);
  }
  if (!buffer) return memFullErr;
  std::memset(buffer, 0, bytes);
  const QDErr err = MakePort(offscreenGWorld, *boundsRect, k32ARGBPixelFormat, buffer, static_cast<long>(rowBytes),
                             true);
  if (err != noErr) std::free(buffer);
  return err;
}

QDErr NewGWorldFromPtr(GWorldPtr *offscreenGWorld, OSType pixelFormat, const Rect *boundsRect, CTabHandle,
                       GDHandle, GWorldFlags, Ptr newBuffer, long rowBytes) {
  if (!offscreenGWorld) return paramErr;
  *offscreenGWorld = nullptr;
  if (!boundsRect || !newBuffer) return paramErr;
  if (pixelFormat != k32ARGBPixelFormat && pixelFormat != k32RGBAPixelFormat) return paramErr;
  const long width = boundsRect->right - boundsRect->left;
  const long height = boundsRect->bottom - boundsRect->top;
  if (width <= 0 || height <= 0 || rowBytes < width * 4) return paramErr;
  return MakePort(offscreenGWorld, *boundsRect, pixelFormat, newBuffer, rowBytes, false);
}

void DisposeGWorld(GWorldPtr offscreenGWorld) {
  {
    std::lock_guard<std::mutex> hold(gPortsLock);
    if (!offscreenGWorld || livePorts().erase(offscreenGWorld) == 0) return;
    OpaqueGrafPtr *expected = offscreenGWorld;
    gCurrentPort.compare_exchange_strong(expected, nullptr);
    if (offscreenGWorld->pixMap.ownsPixels)
      pool().give(offscreenGWorld->pixMap.bits.baseAddr, bufferBytes(*offscreenGWorld));
  }
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

OSType GetPixPixelFormat(PixMapHandle pm) {
  PixMap *p = deref(pm);
  return p ? p->pixelFormat : 0;
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

GDHandle GetGDevice(void) {
  OpaqueGDHandle *device = gCurrentDevice;
  return device ? device : &gMainDevice;
}

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
  if (OpaqueGrafPtr *port = gCurrentPort; port && color) port->fore = *color;
}

void RGBBackColor(const RGBColor *color) {
  if (OpaqueGrafPtr *port = gCurrentPort; port && color) port->back = *color;
}

}  // extern "C"
