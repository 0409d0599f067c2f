// CopyBits: a straight copy when the rectangles have the same size, otherwise
// area averaging.
//
// The mapping is fixed by the rectangles as given; clipping (to both bounds and
// to the destination's clip rectangle) only chooses which destination pixels
// are written. Along one axis, with S source and D destination pixels, source
// pixel i covers [i*D, (i+1)*D) and destination pixel k covers [k*S, (k+1)*S),
// so every overlap is an exact integer weight. Where clipping cuts the source
// under a destination pixel, that pixel averages the part that remains.
//
// Sections: axis mapping · straight copy · averaging · entry point.

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "quickdraw/Port.h"

namespace {

using zv::qd::IRect;

// ---- Axis mapping -------------------------------------------------------------

// For each destination index of one axis: which source indices it reads and
// with which weights.
struct AxisMap {
  int dstFirst = 0;  // absolute coordinate of the first destination index
  int dstEnd = 0;
  std::vector<int> srcFirst;           // absolute, per destination index
  std::vector<int> tapStart;           // into weights, per destination index, plus an end
  std::vector<std::uint32_t> weights;  // in 1/D of a source pixel
  std::vector<std::uint32_t> total;    // sum of a destination index's weights

  int size() const { return dstEnd - dstFirst; }
};

// s0..s1: source rectangle side as given, c0..c1: the part inside the source
// bounds; d0..d1: destination side as given, e0..e1: the part that may be written.
bool mapAxis(int s0, int s1, int c0, int c1, int d0, int d1, int e0, int e1, AxisMap &m) {
  const long long S = s1 - s0, D = d1 - d0;
  // Destination indices (relative to d0) that overlap the remaining source.
  auto floorDiv = [](long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  const long long kFirst = std::max<long long>(floorDiv((c0 - s0) * D, S), e0 - d0);
  const long long kEnd = std::min<long long>(-floorDiv(-(c1 - s0) * D, S), e1 - d0);
  if (kFirst >= kEnd) return false;
  m.dstFirst = static_cast<int>(d0 + kFirst);
  m.dstEnd = static_cast<int>(d0 + kEnd);
  const auto n = static_cast<std::size_t>(kEnd - kFirst);
  m.srcFirst.resize(n);
  m.tapStart.resize(n + 1);
  m.total.resize(n);
  m.weights.clear();
  m.weights.reserve(n * static_cast<std::size_t>(S / D + 2));
  for (long long k = kFirst; k < kEnd; ++k) {
    const long long a = k * S, b = a + S;
    const long long iFirst = std::max<long long>(a / D, c0 - s0);
    const long long iEnd = std::min<long long>((b + D - 1) / D, c1 - s0);
    const auto at = static_cast<std::size_t>(k - kFirst);
    m.srcFirst[at] = static_cast<int>(s0 + iFirst);
    m.tapStart[at] = static_cast<int>(m.weights.size());
    std::uint32_t sum = 0;
    for (long long i = iFirst; i < iEnd; ++i) {
      const auto w = static_cast<std::uint32_t>(std::min(b, (i + 1) * D) - std::max(a, i * D));
      m.weights.push_back(w);
      sum += w;
    }
    m.total[at] = sum;
  }
  m.tapStart[n] = static_cast<int>(m.weights.size());
  return true;
}

// ---- Straight copy --------------------------------------------------------------

// dst pixel (x, y) takes src pixel (x - dx, y - dy).
void copyStraight(const BitMap &src, const BitMap &dst, const IRect &area, int dx, int dy) {
  const std::size_t bytes = 4 * static_cast<std::size_t>(area.right - area.left);
  const std::uint8_t *s =
      zv::qd::rowAt(src, area.top - dy) + 4 * static_cast<std::ptrdiff_t>(area.left - dx - src.bounds.left);
  std::uint8_t *d = zv::qd::rowAt(dst, area.top) + 4 * static_cast<std::ptrdiff_t>(area.left - dst.bounds.left);
  const int rows = area.bottom - area.top;
  // Whole rows of both images with the same stride: one block, padding and all.
  const bool wholeRows = src.rowBytes == dst.rowBytes && area.left == dst.bounds.left &&
                         area.right == dst.bounds.right && area.left - dx == src.bounds.left &&
                         area.right - dx == src.bounds.right;
  if (wholeRows) {
    std::memcpy(d, s, static_cast<std::size_t>(rows - 1) * static_cast<std::size_t>(dst.rowBytes) + bytes);
    return;
  }
  for (int r = 0; r < rows; ++r, s += src.rowBytes, d += dst.rowBytes) std::memcpy(d, s, bytes);
}

// ---- Averaging ------------------------------------------------------------------

// One source row averaged horizontally: per destination column and channel,
// the weighted sum (at most 255 * S, well inside 32 bits).
void sumRow(const BitMap &src, int y, const AxisMap &mx, std::uint32_t *out) {
  const std::uint8_t *srow = zv::qd::rowAt(src, y);
  for (int xi = 0; xi < mx.size(); ++xi, out += 4) {
    const std::uint8_t *p = srow + 4 * static_cast<std::ptrdiff_t>(mx.srcFirst[xi] - src.bounds.left);
    std::uint32_t h0 = 0, h1 = 0, h2 = 0, h3 = 0;
    for (int u = mx.tapStart[xi]; u < mx.tapStart[xi + 1]; ++u, p += 4) {
      const std::uint32_t wx = mx.weights[u];
      h0 += wx * p[0];
      h1 += wx * p[1];
      h2 += wx * p[2];
      h3 += wx * p[3];
    }
    out[0] = h0;
    out[1] = h1;
    out[2] = h2;
    out[3] = h3;
  }
}

// (n + d/2) / d exactly, from a floating estimate corrected by at most one.
std::uint8_t roundedQuotient(std::uint64_t n, std::uint64_t d, double inverse) {
  n += d / 2;
  auto q = static_cast<std::uint64_t>(static_cast<double>(n) * inverse);
  if (q * d > n)
    --q;
  else if ((q + 1) * d <= n)
    ++q;
  return static_cast<std::uint8_t>(q);
}

void copyAveraged(const BitMap &src, const BitMap &dst, const AxisMap &mx, const AxisMap &my) {
  const auto width4 = 4 * static_cast<std::size_t>(mx.size());
  // Horizontal sums of the source rows in use, in a ring: destination rows read
  // consecutive, non-decreasing source rows, never more at once than the widest tap.
  int ringSize = 1;
  for (int yi = 0; yi < my.size(); ++yi) ringSize = std::max(ringSize, my.tapStart[yi + 1] - my.tapStart[yi]);
  std::vector<std::uint32_t> ring(width4 * static_cast<std::size_t>(ringSize));
  std::vector<int> ringRow(static_cast<std::size_t>(ringSize), INT_MIN);  // no row is INT_MIN
  std::vector<std::uint64_t> acc(width4);
  std::vector<double> inverseX(static_cast<std::size_t>(mx.size()));
  for (int xi = 0; xi < mx.size(); ++xi) inverseX[xi] = 1.0 / mx.total[xi];

  for (int yi = 0; yi < my.size(); ++yi) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int t = my.tapStart[yi]; t < my.tapStart[yi + 1]; ++t) {
      const int y = my.srcFirst[yi] + (t - my.tapStart[yi]);
      const auto slot = static_cast<std::size_t>(((y % ringSize) + ringSize) % ringSize);
      std::uint32_t *h = &ring[slot * width4];
      if (ringRow[slot] != y) {
        sumRow(src, y, mx, h);
        ringRow[slot] = y;
      }
      const std::uint64_t wy = my.weights[t];
      for (std::size_t i = 0; i < width4; ++i) acc[i] += wy * h[i];
    }
    std::uint8_t *d =
        zv::qd::rowAt(dst, my.dstFirst + yi) + 4 * static_cast<std::ptrdiff_t>(mx.dstFirst - dst.bounds.left);
    const double inverseY = 1.0 / my.total[yi];
    for (int xi = 0; xi < mx.size(); ++xi, d += 4) {
      const std::uint64_t div = std::uint64_t{my.total[yi]} * mx.total[xi];
      const double inverse = inverseX[xi] * inverseY;
      const std::uint64_t *a = &acc[4 * static_cast<std::size_t>(xi)];
      for (int c = 0; c < 4; ++c) d[c] = roundedQuotient(a[c], div, inverse);
    }
  }
}

// ---- Overlap ----------------------------------------------------------------------

struct ByteRange {
  const std::uint8_t *begin, *end;
};

ByteRange touched(const BitMap &bits, const IRect &r) {
  const std::uint8_t *first = zv::qd::rowAt(bits, r.top) + 4 * static_cast<std::ptrdiff_t>(r.left - bits.bounds.left);
  const std::uint8_t *last =
      zv::qd::rowAt(bits, r.bottom - 1) + 4 * static_cast<std::ptrdiff_t>(r.right - bits.bounds.left);
  return {first, last};
}

bool overlaps(ByteRange a, ByteRange b) { return a.begin < b.end && b.begin < a.end; }

// A private copy of the source pixels in r, so reading cannot see pixels the
// copy has already written.
BitMap snapshot(const BitMap &src, const IRect &r, std::vector<std::uint8_t> &store) {
  const long rowBytes = 4L * (r.right - r.left);
  store.resize(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(r.bottom - r.top));
  BitMap copy{reinterpret_cast<Ptr>(store.data()), rowBytes,
              Rect{static_cast<short>(r.top), static_cast<short>(r.left), static_cast<short>(r.bottom),
                   static_cast<short>(r.right)},
              nullptr};
  for (int y = r.top; y < r.bottom; ++y)
    std::memcpy(zv::qd::rowAt(copy, y),
                zv::qd::rowAt(src, y) + 4 * static_cast<std::ptrdiff_t>(r.left - src.bounds.left),
                static_cast<std::size_t>(rowBytes));
  return copy;
}

}  // namespace

// ---- Entry point --------------------------------------------------------------------

extern "C" void CopyBits(const BitMap *srcBits, const BitMap *dstBits, const Rect *srcRect, const Rect *dstRect, short,
                         RgnHandle) {
  if (!srcBits || !dstBits || !srcRect || !dstRect) return;
  const IRect sr = zv::qd::toIRect(*srcRect), dr = zv::qd::toIRect(*dstRect);
  if (sr.empty() || dr.empty()) return;
  const IRect srcArea = zv::qd::intersect(sr, zv::qd::toIRect(srcBits->bounds));
  IRect dstArea = zv::qd::intersect(dr, zv::qd::toIRect(dstBits->bounds));
  if (dstBits->port) dstArea = zv::qd::intersect(dstArea, zv::qd::toIRect(dstBits->port->clip));
  if (srcArea.empty() || dstArea.empty()) return;

  try {
    const bool straight = sr.right - sr.left == dr.right - dr.left && sr.bottom - sr.top == dr.bottom - dr.top;
    const int dx = dr.left - sr.left, dy = dr.top - sr.top;
    AxisMap mx, my;
    IRect written;
    if (straight) {
      written =
          zv::qd::intersect(dstArea, {srcArea.top + dy, srcArea.left + dx, srcArea.bottom + dy, srcArea.right + dx});
      if (written.empty()) return;
    } else {
      if (!mapAxis(sr.left, sr.right, srcArea.left, srcArea.right, dr.left, dr.right, dstArea.left, dstArea.right,
                   mx) ||
          !mapAxis(sr.top, sr.bottom, srcArea.top, srcArea.bottom, dr.top, dr.bottom, dstArea.top, dstArea.bottom, my))
        return;
      written = {my.dstFirst, mx.dstFirst, my.dstEnd, mx.dstEnd};
    }

    const BitMap *src = srcBits;
    BitMap copy;
    std::vector<std::uint8_t> store;
    if (overlaps(touched(*srcBits, srcArea), touched(*dstBits, written))) {
      copy = snapshot(*srcBits, srcArea, store);
      src = &copy;
    }
    if (straight)
      copyStraight(*src, *dstBits, written, dx, dy);
    else
      copyAveraged(*src, *dstBits, mx, my);
  } catch (const std::bad_alloc &) {
    // No room for the mapping or the private copy: nothing is copied, as
    // CopyBits has no way to report it.
  }
}
