// Rectangle and point arithmetic. Coordinates are 16-bit and wrap as the
// toolbox's did; comparisons treat right and bottom edges as outside.

#include "QuickDraw.h"

namespace {

short wrap(int v) { return static_cast<short>(v); }

bool isEmpty(const Rect &r) { return r.bottom <= r.top || r.right <= r.left; }

}  // namespace

extern "C" {

void SetRect(Rect *r, short left, short top, short right, short bottom) {
  if (r) *r = {top, left, bottom, right};
}

void OffsetRect(Rect *r, short dh, short dv) {
  if (!r) return;
  r->left = wrap(r->left + dh);
  r->right = wrap(r->right + dh);
  r->top = wrap(r->top + dv);
  r->bottom = wrap(r->bottom + dv);
}

void InsetRect(Rect *r, short dh, short dv) {
  if (!r) return;
  r->left = wrap(r->left + dh);
  r->right = wrap(r->right - dh);
  r->top = wrap(r->top + dv);
  r->bottom = wrap(r->bottom - dv);
  if (isEmpty(*r)) *r = {0, 0, 0, 0};
}

Boolean PtInRect(Point pt, const Rect *r) {
  return r && pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

void Pt2Rect(Point pt1, Point pt2, Rect *dstRect) {
  if (!dstRect) return;
  dstRect->left = pt1.h < pt2.h ? pt1.h : pt2.h;
  dstRect->right = pt1.h < pt2.h ? pt2.h : pt1.h;
  dstRect->top = pt1.v < pt2.v ? pt1.v : pt2.v;
  dstRect->bottom = pt1.v < pt2.v ? pt2.v : pt1.v;
}

Boolean EqualRect(const Rect *rect1, const Rect *rect2) {
  return rect1 && rect2 && rect1->top == rect2->top && rect1->left == rect2->left && rect1->bottom == rect2->bottom &&
         rect1->right == rect2->right;
}

}  // extern "C"
