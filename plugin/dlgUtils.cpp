#include "dlgUtils.h"

#include <cmath>
#include <cstdint>

namespace {
// Trunc(x + 0.5) cut to 16 bits with wrap-around, as Rect coordinates are stored.
short RoundToCoordinate(double base, double length) {
  auto whole = static_cast<int64_t>(std::trunc(length + 0.5));
  return static_cast<short>(static_cast<uint16_t>(static_cast<int64_t>(base) + whole));
}
}  // namespace

void GetDims(Rect theRect, SInt32 &wid, SInt32 &hig) {
  wid = static_cast<SInt32>(theRect.right) - theRect.left;
  hig = static_cast<SInt32>(theRect.bottom) - theRect.top;
}

Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize) {
  SInt32 origW, origH, newW, newH;
  GetDims(inOriginal, origW, origH);
  GetDims(inNewSize, newW, newH);
  Rect theResult = inNewSize;
  if (origW == 0) return theResult;
  if (origH == 0) {
    theResult.bottom = theResult.top;  // no proportion to keep
    return theResult;
  }
  double prop = static_cast<double>(origW) / static_cast<double>(origH);
  double height = static_cast<double>(newW) / prop;
  theResult.bottom = RoundToCoordinate(theResult.top, height);
  return theResult;
}

Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize) {
  SInt32 origW, origH, newW, newH;
  GetDims(inOriginal, origW, origH);
  GetDims(inNewSize, newW, newH);
  Rect theResult = inNewSize;
  if (origH == 0) return theResult;
  double prop = static_cast<double>(origW) / static_cast<double>(origH);
  double width = static_cast<double>(newH) * prop;
  theResult.right = RoundToCoordinate(theResult.left, width);
  return theResult;
}
