// Controls: the Control Manager calls, how each standard kind looks, and the
// events that custom controls receive.
//
// Sections: geometry · drawing · custom control events · Control Manager calls
#include <algorithm>
#include <cmath>

#include "paint.h"
#include "toolkit.h"

namespace zv::tk {

// ---- geometry ------------------------------------------------------------------------
namespace {
constexpr int kThumb = 11;  // slider thumb length along the axis
constexpr int kHalf = kThumb / 2;
constexpr int kItemHeight = 18;

bool Overlap(const Rect &a, const Rect &b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
}  // namespace

bool SliderHorizontal(const Control &c) { return c.bounds.right - c.bounds.left >= c.bounds.bottom - c.bounds.top; }

static int SliderSpan(const Control &c) {
  int length = SliderHorizontal(c) ? c.bounds.right - c.bounds.left : c.bounds.bottom - c.bounds.top;
  return std::max(0, length - kThumb);
}

// Horizontal sliders grow to the right, vertical ones upwards.
double SliderPosition(const Control &c, SInt32 value) {
  double range = static_cast<double>(c.maximum) - c.minimum;
  double f = range > 0 ? (static_cast<double>(value) - c.minimum) / range : 0.0;
  return SliderHorizontal(c) ? c.bounds.left + kHalf + f * SliderSpan(c) : c.bounds.bottom - 1 - kHalf - f * SliderSpan(c);
}

SInt32 SliderValueAt(const Control &c, double pos) {
  int span = SliderSpan(c);
  if (span == 0 || c.maximum <= c.minimum) return c.minimum;
  double f = SliderHorizontal(c) ? (pos - c.bounds.left - kHalf) / span : (c.bounds.bottom - 1 - kHalf - pos) / span;
  f = std::clamp(f, 0.0, 1.0);
  return static_cast<SInt32>(std::lround(c.minimum + f * (static_cast<double>(c.maximum) - c.minimum)));
}

Rect SliderThumb(const Control &c, double pos) {
  int p = static_cast<int>(std::lround(pos));
  const Rect &b = c.bounds;
  if (SliderHorizontal(c)) {
    int h = std::min(16, b.bottom - b.top), top = b.top + (b.bottom - b.top - h) / 2;
    return Rect{static_cast<short>(top), static_cast<short>(p - kHalf), static_cast<short>(top + h),
                static_cast<short>(p + kHalf + 1)};
  }
  int w = std::min(16, b.right - b.left), left = b.left + (b.right - b.left - w) / 2;
  return Rect{static_cast<short>(p - kHalf), static_cast<short>(left), static_cast<short>(p + kHalf + 1),
              static_cast<short>(left + w)};
}

// The open menu puts the current item over the control, kept inside the window.
Rect PopupMenuRect(const Control &c) {
  int width = c.bounds.right - c.bounds.left;
  for (auto &item : c.items) width = std::max(width, TextWidth(item) + 30);
  int height = kItemHeight * static_cast<int>(c.items.size()) + 2;
  int top = c.bounds.top - (std::max<SInt32>(c.value, 1) - 1) * kItemHeight - 1;
  int windowHeight = c.owner ? c.owner->height : height;
  top = std::clamp(top, 0, std::max(0, windowHeight - height));
  return Rect{static_cast<short>(top), c.bounds.left, static_cast<short>(top + height),
              static_cast<short>(c.bounds.left + width)};
}

Rect PopupItemRect(const Control &c, int item) {
  Rect m = PopupMenuRect(c);
  short top = static_cast<short>(m.top + 1 + (item - 1) * kItemHeight);
  return Rect{top, static_cast<short>(m.left + 1), static_cast<short>(top + kItemHeight), static_cast<short>(m.right - 1)};
}

// ---- drawing -----------------------------------------------------------------------------
namespace {

int Baseline(const Rect &r) { return r.top + (r.bottom - r.top + TextAscent()) / 2 - 1; }

void DrawButton(Canvas &cv, const Control &c) {
  Rect face = c.bounds;
  if (c.isDefault) {
    cv.frame(face, kBlack, 2);
    face = Rect{static_cast<short>(face.top + 3), static_cast<short>(face.left + 3), static_cast<short>(face.bottom - 3),
                static_cast<short>(face.right - 3)};
  }
  bool pressed = c.hilite != 0;
  cv.fill(face, pressed ? kBlack : kWhite);
  cv.frame(face, kBlack);
  int w = TextWidth(c.text);
  Colour ink = !c.enabled ? kShade : pressed ? kWhite : kBlack;
  cv.clipTo(face);
  cv.text((face.left + face.right - w) / 2, Baseline(face), c.text, ink);
}

void DrawCheckBox(Canvas &cv, const Control &c) {
  int mid = (c.bounds.top + c.bounds.bottom) / 2;
  Rect box{static_cast<short>(mid - 6), c.bounds.left, static_cast<short>(mid + 6), static_cast<short>(c.bounds.left + 12)};
  cv.fill(box, kWhite);
  cv.frame(box, c.enabled ? kBlack : kShade, c.hilite ? 2 : 1);
  if (c.value == 1) {
    cv.line(box.left + 3, box.top + 3, box.right - 4, box.bottom - 4, kBlack);
    cv.line(box.right - 4, box.top + 3, box.left + 3, box.bottom - 4, kBlack);
  } else if (c.value == 2) {
    cv.fill(Rect{static_cast<short>(mid - 1), static_cast<short>(box.left + 3), static_cast<short>(mid + 1),
                 static_cast<short>(box.right - 3)},
            kBlack);
  }
  cv.text(c.bounds.left + 18, Baseline(c.bounds), c.text, c.enabled ? kBlack : kShade);
}

void DrawPopup(Canvas &cv, const Control &c) {
  cv.fill(c.bounds, c.hilite ? kShade : kWhite);
  cv.frame(c.bounds, kBlack);
  int ax = c.bounds.right - 14, ay = (c.bounds.top + c.bounds.bottom) / 2 - 2;
  for (int i = 0; i < 4; ++i) cv.line(ax + i, ay + i, ax + 8 - i, ay + i, kBlack);
  Canvas inner = cv;
  inner.clipTo(Rect{c.bounds.top, c.bounds.left, c.bounds.bottom, static_cast<short>(c.bounds.right - 18)});
  if (c.value >= 1 && c.value <= static_cast<SInt32>(c.items.size()))
    inner.text(c.bounds.left + 6, Baseline(c.bounds), c.items[c.value - 1], c.enabled ? kBlack : kShade);
}

void DrawSlider(Canvas &cv, const Control &c, double thumbPos) {
  const Rect &b = c.bounds;
  if (SliderHorizontal(c)) {
    int mid = (b.top + b.bottom) / 2;
    cv.fill(Rect{static_cast<short>(mid - 2), static_cast<short>(b.left + kHalf), static_cast<short>(mid + 2),
                 static_cast<short>(b.right - kHalf)},
            kShade);
  } else {
    int mid = (b.left + b.right) / 2;
    cv.fill(Rect{static_cast<short>(b.top + kHalf), static_cast<short>(mid - 2), static_cast<short>(b.bottom - kHalf),
                 static_cast<short>(mid + 2)},
            kShade);
  }
  Rect thumb = SliderThumb(c, thumbPos);
  cv.fill(thumb, c.hilite ? kShade : kWhite);
  cv.frame(thumb, c.enabled ? kBlack : kShade);
}

void DrawStaticText(Canvas &cv, const Control &c) {
  cv.clipTo(c.bounds);
  int y = c.bounds.top + TextAscent();
  FontStyle style = c.bold ? FontStyle::Bold : FontStyle::Regular;
  for (auto &line : WrapText(c.text, c.bounds.right - c.bounds.left, style)) {
    cv.text(c.bounds.left, y, line, c.enabled ? kBlack : kShade, style);
    y += LineHeight();
  }
}

// Stop: a red disc with a white bar. Caution: a yellow triangle with a black
// mark. Note and plain alerts: a grey disc.
void DrawAlertIcon(Canvas &cv, const Control &c) {
  const Rect &b = c.bounds;
  int w = b.right - b.left, h = b.bottom - b.top, cx = (b.left + b.right) / 2;
  if (c.value == 2) {
    for (int y = 0; y < h; ++y) {
      int half = (y * w / h) / 2;
      cv.line(cx - half, b.top + y, cx + half, b.top + y, 0xF2C200);
    }
    cv.fill(Rect{static_cast<short>(b.top + h / 3), static_cast<short>(cx - 1), static_cast<short>(b.top + 3 * h / 4),
                 static_cast<short>(cx + 2)},
            kBlack);
    cv.fill(Rect{static_cast<short>(b.bottom - h / 6 - 2), static_cast<short>(cx - 1), static_cast<short>(b.bottom - h / 6 + 1),
                 static_cast<short>(cx + 2)},
            kBlack);
  } else {
    cv.fillOval(b, c.value == 0 ? 0xCC2222 : 0x888888);
    if (c.value == 0)
      cv.fill(Rect{static_cast<short>(b.top + h / 2 - 2), static_cast<short>(b.left + w / 4), static_cast<short>(b.top + h / 2 + 2),
                   static_cast<short>(b.right - w / 4)},
              kWhite);
  }
}

}  // namespace

// Where a slider's thumb is drawn while it is dragged without live tracking.
static std::map<const Control *, double> gGhosts;

void SetSliderGhost(const Control &c, double pos) { gGhosts[&c] = pos; }
void ClearSliderGhost(const Control &c) { gGhosts.erase(&c); }

void DrawControl(Control &c) {
  if (!c.visible || !c.owner || c.owner->disposed) return;
  if (c.kind == Kind::Custom) {
    Event e;
    e.set(kEventParamDirectObject, typeControlRef, Wrap(&c));
    CGrafPtr port;
    GDHandle device;
    GetGWorld(&port, &device);
    SendControlEvent(c, kEventControlDraw, e);
    SetGWorld(port, device);
    return;
  }
  Canvas cv(c.owner->port);
  cv.clipTo(c.bounds);
  cv.fill(c.bounds, kFace);
  if (c.kind == Kind::Popup) cv = Canvas(c.owner->port);
  switch (c.kind) {
  case Kind::Button: DrawButton(cv, c); break;
  case Kind::CheckBox: DrawCheckBox(cv, c); break;
  case Kind::Popup: DrawPopup(cv, c); break;
  case Kind::Slider: {
    auto g = gGhosts.find(&c);
    DrawSlider(cv, c, g != gGhosts.end() ? g->second : SliderPosition(c, c.value));
    break;
  }
  case Kind::StaticText: DrawStaticText(cv, c); break;
  case Kind::Swatch:
    cv.fill(c.bounds, static_cast<Colour>((c.swatch.red >> 8) << 16 | (c.swatch.green >> 8) << 8 | c.swatch.blue >> 8));
    cv.frame(c.bounds, kBlack);
    break;
  case Kind::AlertIcon: DrawAlertIcon(cv, c); break;
  case Kind::Custom: break;
  }
}

void DrawWindow(Window &w, bool customs) {
  Canvas(w.port).fill(Rect{0, 0, w.height, w.width}, kFace);
  for (size_t i = 0; i < w.controls.size() && !w.disposed; ++i)
    if (customs || w.controls[i]->kind != Kind::Custom) DrawControl(*w.controls[i]);
}

void EraseControl(Control &c) {
  Window &w = *c.owner;
  Canvas(w.port).fill(c.bounds, kFace);
  for (size_t i = 0; i < w.controls.size() && !w.disposed; ++i)
    if (w.controls[i].get() != &c && Overlap(w.controls[i]->bounds, c.bounds)) DrawControl(*w.controls[i]);
}

void DrawOpenMenu(const Control &c, int highlighted) {
  Canvas cv(c.owner->port);
  Rect m = PopupMenuRect(c);
  cv.fill(m, kWhite);
  cv.frame(m, kBlack);
  for (int i = 1; i <= static_cast<int>(c.items.size()); ++i) {
    Rect r = PopupItemRect(c, i);
    bool on = i == highlighted;
    if (on) cv.fill(r, kSelect);
    if (i == c.value) cv.fillOval(Rect{static_cast<short>((r.top + r.bottom) / 2 - 3), static_cast<short>(r.left + 5),
                                       static_cast<short>((r.top + r.bottom) / 2 + 3), static_cast<short>(r.left + 11)},
                                  on ? kWhite : kBlack);
    Canvas line = cv;
    line.clipTo(r);
    line.text(r.left + 16, Baseline(r), c.items[i - 1], on ? kWhite : kBlack);
  }
}

// ---- custom control events --------------------------------------------------------------
OSStatus SendControlEvent(Control &c, UInt32 kind, Event &e) {
  ToolboxClass *cls = c.cls;
  if (!cls || !std::any_of(cls->types.begin(), cls->types.end(), [&](const EventTypeSpec &t) {
        return t.eventClass == kEventClassControl && t.eventKind == kind;
      }))
    return eventNotHandledErr;
  e.eventClass = kEventClassControl;
  e.kind = kind;
  auto hold = Hold(c.owner);
  return cls->handler(nullptr, Wrap(&e), cls->userData);
}

void SendActivate(Window &w) {
  for (size_t i = 0; i < w.controls.size() && !w.disposed; ++i) {
    Control &c = *w.controls[i];
    if (c.kind != Kind::Custom) continue;
    Event e;
    e.set(kEventParamDirectObject, typeControlRef, Wrap(&c));
    SendControlEvent(c, kEventControlActivate, e);
  }
}

OSStatus SendCommand(Window &w, UInt32 command, UInt32 attributes) {
  HICommand cmd{attributes, command, {0, 0}};
  Event e;
  e.eventClass = kEventClassCommand;
  e.kind = kEventCommandProcess;
  e.set(kEventParamDirectObject, typeHICommand, cmd);
  auto hold = Hold(&w);
  return SendToTarget(w.target, e);
}

}  // namespace zv::tk

using namespace zv::tk;

// ---- Control Manager calls ---------------------------------------------------------------
extern "C" {

ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine) { return userRoutine; }

void SetControlAction(ControlRef ref, ControlActionUPP actionProc) {
  if (Control *c = LiveControl(ref)) c->action = actionProc;
}

OSStatus GetControlByID(WindowRef window, const ControlID *id, ControlRef *outControl) {
  if (outControl) *outControl = nullptr;
  Window *w = LiveWindow(window);
  if (!w || !id || !outControl) return paramErr;
  Control *c = FindControl(*w, id->signature, id->id);
  if (!c) return errUnknownControl;
  *outControl = Wrap(c);
  return noErr;
}

Rect *GetControlBounds(ControlRef ref, Rect *bounds) {
  if (!bounds) return nullptr;
  Control *c = LiveControl(ref);
  *bounds = c ? c->bounds : Rect{0, 0, 0, 0};
  return bounds;
}

WindowRef GetControlOwner(ControlRef ref) {
  Control *c = LiveControl(ref);
  return c ? Wrap(c->owner) : nullptr;
}

UInt16 GetControlHilite(ControlRef ref) {
  Control *c = LiveControl(ref);
  if (!c) return 0;
  return c->enabled ? c->hilite : static_cast<UInt16>(kControlDisabledPart);
}

SInt32 GetControl32BitValue(ControlRef ref) {
  Control *c = LiveControl(ref);
  return c ? c->value : 0;
}

// Always redraws: a custom control's owner may change the value only to have it drawn again.
void SetControl32BitValue(ControlRef ref, SInt32 v) {
  Control *c = LiveControl(ref);
  if (!c) return;
  c->value = std::clamp(v, c->minimum, std::max(c->minimum, c->maximum));
  DrawControl(*c);
}

void SetControl32BitMinimum(ControlRef ref, SInt32 v) {
  Control *c = LiveControl(ref);
  if (!c) return;
  c->minimum = v;
  if (c->maximum < v) c->maximum = v;
  c->value = std::clamp(c->value, c->minimum, c->maximum);
  DrawControl(*c);
}

void SetControl32BitMaximum(ControlRef ref, SInt32 v) {
  Control *c = LiveControl(ref);
  if (!c) return;
  c->maximum = v;
  if (c->minimum > v) c->minimum = v;
  c->value = std::clamp(c->value, c->minimum, c->maximum);
  DrawControl(*c);
}

OSErr SetControlData(ControlRef ref, ControlPartCode, ResType tag, Size size, const void *data) {
  Control *c = LiveControl(ref);
  if (!c || size < 0 || (size > 0 && !data)) return paramErr;
  if (tag != kControlStaticTextTextTag) return errDataNotSupported;
  c->text = MacRomanToUtf8(static_cast<const char *>(data), static_cast<size_t>(size));
  DrawControl(*c);
  return noErr;
}

void Draw1Control(ControlRef ref) {
  if (Control *c = LiveControl(ref)) DrawControl(*c);
}

void ShowControl(ControlRef ref) {
  Control *c = LiveControl(ref);
  if (!c || c->visible) return;
  c->visible = true;
  DrawControl(*c);
}

void HideControl(ControlRef ref) {
  Control *c = LiveControl(ref);
  if (!c || !c->visible) return;
  c->visible = false;
  EraseControl(*c);
}

}  // extern "C"
