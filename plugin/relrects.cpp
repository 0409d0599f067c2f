#include "relrects.h"

#include <cmath>
#include <cstdint>

namespace {

// origin + trunc(size * fraction), saturated into 16 bits.
short Scale2Edge(short origin, SInt16 size, double fraction) {
  const double product = static_cast<double>(size) * fraction;
  if (std::isnan(product)) return origin;
  const double edge = static_cast<double>(origin) + std::trunc(product);
  if (edge <= INT16_MIN) return INT16_MIN;
  if (edge >= INT16_MAX) return INT16_MAX;
  return static_cast<short>(edge);
}

double Edge2Fraction(SInt16 edge, SInt16 size) { return size == 0 ? 0.0 : static_cast<double>(edge) / size; }

}  // namespace

void InitRelRect(RELRECT &theRel) {
  theRel.LEFT = 0.0;
  theRel.RIGHT = 1.0;
  theRel.TOP = 0.0;
  theRel.BOTTOM = 1.0;
}

Boolean RelIsFinite(const RELRECT &theRel) {
  return std::isfinite(theRel.LEFT) && std::isfinite(theRel.RIGHT) && std::isfinite(theRel.TOP) &&
         std::isfinite(theRel.BOTTOM);
}

Rect Rel2Rect(const RELRECT &theRel, const Rect &theFrame) {
  const SInt16 wid = static_cast<SInt16>(theFrame.right - theFrame.left);
  const SInt16 hig = static_cast<SInt16>(theFrame.bottom - theFrame.top);
  Rect r;
  r.left = Scale2Edge(theFrame.left, wid, theRel.LEFT);
  r.right = Scale2Edge(theFrame.left, wid, theRel.RIGHT);
  r.top = Scale2Edge(theFrame.top, hig, theRel.TOP);
  r.bottom = Scale2Edge(theFrame.top, hig, theRel.BOTTOM);
  return r;
}

RELRECT Rect2Rel(const Rect &theRect, const Rect &theFrame) {
  const SInt16 wid = static_cast<SInt16>(theFrame.right - theFrame.left);
  const SInt16 hig = static_cast<SInt16>(theFrame.bottom - theFrame.top);
  RELRECT rel;
  rel.LEFT = Edge2Fraction(static_cast<SInt16>(theRect.left - theFrame.left), wid);
  rel.RIGHT = Edge2Fraction(static_cast<SInt16>(theRect.right - theFrame.left), wid);
  rel.TOP = Edge2Fraction(static_cast<SInt16>(theRect.top - theFrame.top), hig);
  rel.BOTTOM = Edge2Fraction(static_cast<SInt16>(theRect.bottom - theFrame.top), hig);
  return rel;
}
