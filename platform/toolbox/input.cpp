// Input: the one entry point through which every backend's input passes, the
// standard tracking of each control kind, modal loops, and the backend table.
//
// A press on a control runs one shared routine (TrackPress) for buttons, check
// boxes and custom controls without a track handler:
//
//   state        | input                  | next state / effect
//   -------------+------------------------+---------------------------------------
//   pressed-in   | drag to a point off it | pressed-out, highlight 0, redraw
//   pressed-out  | drag back onto it      | pressed-in, highlight = part, redraw
//   either       | release on it          | done: part (Hit event, then command)
//   either       | release off it         | done: 0 (nothing happens)
//   either       | input ends             | release where the mouse last was
//
// Sliders follow the mouse (live ones change value and call the action at
// every change); pop-ups track their open menu. Custom controls with a track
// handler do their own loop through TrackMouseLocation.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "LaunchServices.h"
#include "paint.h"
#include "toolkit.h"

extern char **environ;

namespace zv::tk {

std::unique_ptr<Backend> MakeScriptBackend(const char *path, FILE *log, OSStatus *err);
std::unique_ptr<Backend> MakeSdlBackend(OSStatus *err);

namespace {

std::unique_ptr<Backend> gBackend;
bool gFailed = false;
double gLastX = 0, gLastY = 0;

// A mouse far outside the window stays far outside: saturated, never wrapped.
short ToCoordinate(double c) {
  if (std::isnan(c)) return SHRT_MIN;
  return static_cast<short>(std::clamp(std::floor(c), double{SHRT_MIN}, double{SHRT_MAX}));
}

Point ToPoint(double x, double y) { return Point{ToCoordinate(y), ToCoordinate(x)}; }

bool Inside(const Rect &r, Point p) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

ControlPartCode HitTest(Control &c, Point p) {
  if (!c.visible || !c.enabled || !Inside(c.bounds, p)) return kControlNoPart;
  switch (c.kind) {
  case Kind::Button: return kControlButtonPart;
  case Kind::CheckBox: return kControlCheckBoxPart;
  case Kind::Popup: return c.items.empty() ? kControlNoPart : kControlMenuPart;
  case Kind::Slider: return kControlIndicatorPart;
  case Kind::StaticText:
  case Kind::Swatch:
  case Kind::AlertIcon: return kControlNoPart;
  case Kind::Custom: {
    if (!c.cls) return kControlNoPart;
    Event e;
    e.set(kEventParamDirectObject, typeControlRef, Wrap(&c));
    e.set(kEventParamMouseLocation, typeQDPoint, p);
    if (SendControlEvent(c, kEventControlHitTest, e) != noErr) return 1;
    ControlPartCode part = 0;
    e.get(kEventParamControlPart, typeControlPartCode, part);
    return part;
  }
  }
  return kControlNoPart;
}

void SetHilite(Control &c, UInt16 h) {
  if (c.hilite == h) return;
  c.hilite = h;
  DrawControl(c);
}

ControlPartCode TrackPress(Control &c, ControlPartCode part) {
  ControlRef ref = Wrap(&c);
  SetHilite(c, static_cast<UInt16>(part));
  for (;;) {
    Input in = NextTrackingInput();
    if (!LiveControl(ref)) return 0;
    ControlPartCode now = HitTest(c, ToPoint(in.x, in.y));
    if (in.kind == InputKind::MouseUp) {
      SetHilite(c, 0);
      return now;
    }
    if (in.kind == InputKind::MouseDrag) SetHilite(c, static_cast<UInt16>(now));
  }
}

double Axis(const Control &c, double x, double y) { return SliderHorizontal(c) ? x : y; }

ControlPartCode TrackSlider(Control &c, double x, double y) {
  ControlRef ref = Wrap(&c);
  Rect thumb = SliderThumb(c, SliderPosition(c, c.value));
  // Grabbing the thumb keeps the grip; a press on the track jumps there.
  double grip = Inside(thumb, ToPoint(x, y)) ? Axis(c, x, y) - SliderPosition(c, c.value) : 0;
  c.hilite = kControlIndicatorPart;
  for (;;) {
    double pos = Axis(c, x, y) - grip;
    SInt32 v = SliderValueAt(c, pos);
    if (c.live) {
      if (v != c.value) {
        c.value = v;
        DrawControl(c);
        if (c.action) c.action(ref, kControlIndicatorPart);
        if (!LiveControl(ref)) return 0;
      }
    } else {
      SetSliderGhost(c, SliderPosition(c, v));
      DrawControl(c);
    }
    Input in = NextTrackingInput();
    if (!LiveControl(ref)) return 0;
    x = in.x;
    y = in.y;
    if (in.kind == InputKind::MouseUp) {
      double end = Axis(c, x, y) - grip;
      ClearSliderGhost(c);
      c.hilite = 0;
      SInt32 last = SliderValueAt(c, end);
      if (last != c.value) {
        c.value = last;
        if (c.live && c.action) c.action(ref, kControlIndicatorPart);
        if (!LiveControl(ref)) return 0;
      }
      DrawControl(c);
      return kControlIndicatorPart;
    }
  }
}

// Pressing opens the menu; releasing on an item chooses it. A click that
// neither moves nor leaves its item keeps the menu open for a second click.
ControlPartCode TrackMenu(Control &c) {
  ControlRef ref = Wrap(&c);
  Window &w = *c.owner;
  PixMapHandle pm = GetPortPixMap(w.port);
  long rowBytes = GetPixRowBytes(pm);
  std::vector<char> saved(static_cast<size_t>(rowBytes) * w.height);
  std::memcpy(saved.data(), GetPixBaseAddr(pm), saved.size());
  auto itemAt = [&](double x, double y) {
    for (int i = 1; i <= static_cast<int>(c.items.size()); ++i)
      if (Inside(PopupItemRect(c, i), ToPoint(x, y))) return i;
    return 0;
  };
  int start = itemAt(gLastX, gLastY), current = start;
  bool moved = false, sticky = false;
  SetHilite(c, kControlMenuPart);
  DrawOpenMenu(c, current);
  int chosen = 0;
  for (;;) {
    Input in = NextTrackingInput();
    if (!LiveControl(ref)) return 0;
    int now = itemAt(in.x, in.y);
    if (in.kind == InputKind::MouseDrag) {
      moved = true;
    } else if (in.kind == InputKind::MouseDown) {
      if (sticky && now == 0) break;
      continue;
    } else if (in.kind == InputKind::MouseUp) {
      if (in.ended) {
        chosen = sticky ? 0 : now;
        break;
      }
      if (!moved && !sticky && now == start) {
        sticky = true;
        continue;
      }
      chosen = now;
      break;
    } else {
      continue;
    }
    if (now != current) {
      current = now;
      DrawOpenMenu(c, current);
    }
  }
  if (LiveControl(ref)) {
    std::memcpy(GetPixBaseAddr(pm), saved.data(), saved.size());
    c.hilite = 0;
    if (chosen) c.value = chosen;
    DrawControl(c);
  }
  return chosen ? kControlMenuPart : kControlNoPart;
}

// After a successful track: the Hit event, then (unless the class took it) the
// standard action and the control's command.
void HitControl(Control &c, ControlPartCode part, UInt32 modifiers) {
  ControlRef ref = Wrap(&c);
  Window &w = *c.owner;
  if (c.kind == Kind::Custom) {
    Event e;
    e.set(kEventParamDirectObject, typeControlRef, ref);
    e.set(kEventParamControlPart, typeControlPartCode, part);
    e.set(kEventParamKeyModifiers, typeUInt32, modifiers);
    if (SendControlEvent(c, kEventControlHit, e) != eventNotHandledErr) return;
    if (!LiveControl(ref)) return;
  }
  if (c.kind == Kind::CheckBox) {
    c.value = c.value == 0 ? 1 : 0;
    DrawControl(c);
  }
  if (c.command) SendCommand(w, c.command, kHICommandFromControl);
}

void ClickControl(Control &c, ControlPartCode part, double x, double y, UInt32 modifiers) {
  ControlRef ref = Wrap(&c);
  switch (c.kind) {
  case Kind::Custom: {
    Event e;
    e.set(kEventParamDirectObject, typeControlRef, ref);
    e.set(kEventParamMouseLocation, typeQDPoint, ToPoint(x, y));
    e.set(kEventParamKeyModifiers, typeUInt32, modifiers);
    e.set(kEventParamControlAction, typeControlActionUPP, c.action);
    e.set(kEventParamControlPart, typeControlPartCode, part);
    if (SendControlEvent(c, kEventControlTrack, e) == noErr)
      e.get(kEventParamControlPart, typeControlPartCode, part);
    else if (LiveControl(ref))
      part = TrackPress(c, part);
    break;
  }
  case Kind::Slider: part = TrackSlider(c, x, y); break;
  case Kind::Popup: part = TrackMenu(c); break;
  default: part = TrackPress(c, part); break;
  }
  if (part != kControlNoPart && LiveControl(ref)) HitControl(c, part, modifiers);
}

Control *ButtonFor(Window &w, bool isDefault) {
  const UInt32 command = isDefault ? ZV_FOURCC('o', 'k', ' ', ' ') : ZV_FOURCC('n', 'o', 't', '!');
  for (auto &c : w.controls)
    if (c->kind == Kind::Button && c->visible && c->enabled && (isDefault ? c->isDefault : c->isCancel)) return c.get();
  for (auto &c : w.controls)
    if (c->kind == Kind::Button && c->visible && c->enabled && c->command == command) return c.get();
  return nullptr;
}

void PressButton(Control &c, UInt32 modifiers) {
  SetHilite(c, kControlButtonPart);
  SetHilite(c, 0);
  HitControl(c, kControlButtonPart, modifiers);
}

}  // namespace

Backend *CurrentBackend() { return gBackend.get(); }
void ReportFailure(const std::string &) { gFailed = true; }

OSStatus Backend::openDocument(const std::string &path) { return OpenWithDesktop(path); }

OSStatus OpenWithDesktop(const std::string &path) {
  pid_t pid;
  const char *argv[] = {"xdg-open", path.c_str(), nullptr};
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
    return kLSApplicationNotFoundErr;
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return noErr;
  return kLSApplicationNotFoundErr;
}

Input NextTrackingInput() {
  for (;;) {
    Input in = gBackend ? gBackend->next() : Input{};
    if (in.kind == InputKind::End) {
      in.kind = InputKind::MouseUp;
      in.ended = true;
      in.x = gLastX;
      in.y = gLastY;
      return in;
    }
    if (in.kind == InputKind::MouseDown || in.kind == InputKind::MouseDrag || in.kind == InputKind::MouseUp) {
      gLastX = in.x;
      gLastY = in.y;
      return in;
    }
  }
}

void HandleInput(Window &modal, const Input &in) {
  Window *target = in.window ? LiveWindow(in.window) : Front();
  if (target != &modal) return;  // modal: other windows take nothing
  auto hold = Hold(target);
  switch (in.kind) {
  case InputKind::MouseDown: {
    gLastX = in.x;
    gLastY = in.y;
    Point p = ToPoint(in.x, in.y);
    for (size_t i = target->controls.size(); i-- > 0;) {
      Control &c = *target->controls[i];
      if (ControlPartCode part = HitTest(c, p)) {
        ClickControl(c, part, in.x, in.y, in.modifiers);
        return;
      }
      if (target->disposed) return;
    }
    return;  // a click outside every control does nothing
  }
  case InputKind::Key:
    if (in.key == Key::Return || in.key == Key::Escape)
      if (Control *b = ButtonFor(*target, in.key == Key::Return)) PressButton(*b, in.modifiers);
    return;
  case InputKind::Command: SendCommand(*target, in.command, 0); return;
  case InputKind::Close: SendCommand(*target, ZV_FOURCC('n', 'o', 't', '!'), 0); return;
  default: return;  // moves and releases outside a press
  }
}

// Input has run out: an alert takes its default button, any other window its
// cancel command; a window that ignores that is closed anyway.
void EndOfInput(Window &modal) {
  auto hold = Hold(&modal);
  SendCommand(modal, modal.isAlert ? ZV_FOURCC('o', 'k', ' ', ' ') : ZV_FOURCC('n', 'o', 't', '!'), 0);
  modal.quitRequested = true;
}

}  // namespace zv::tk

using namespace zv::tk;

extern "C" {

OSStatus RunAppModalLoopForWindow(WindowRef ref) {
  Window *w = LiveWindow(ref);
  if (!w) return paramErr;
  auto hold = Hold(w);
  ++w->loops;
  w->quitRequested = false;
  while (!w->quitRequested && !w->disposed) {
    Input in = gBackend ? gBackend->next() : Input{};
    if (in.kind == InputKind::End)
      EndOfInput(*w);
    else
      HandleInput(*w, in);
  }
  --w->loops;
  w->quitRequested = false;
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef ref) {
  Window *w = LiveWindow(ref);
  if (!w || w->loops == 0) return paramErr;
  w->quitRequested = true;
  return noErr;
}

OSStatus TrackMouseLocation(GrafPtr, Point *outPt, MouseTrackingResult *outResult) {
  Input in;
  do in = NextTrackingInput();
  while (in.kind == InputKind::MouseDown);
  if (outPt) *outPt = ToPoint(in.x, in.y);
  if (outResult) *outResult = in.kind == InputKind::MouseUp ? kMouseTrackingMouseUp : kMouseTrackingMouseDragged;
  return noErr;
}

OSStatus ZvToolkitStart(const char *name, const char *scriptPath, FILE *log) {
  if (gBackend || !name) return paramErr;
  OSStatus err = noErr;
  std::unique_ptr<Backend> b;
  if (std::strcmp(name, "script") == 0)
    b = MakeScriptBackend(scriptPath, log ? log : stderr, &err);
  else if (std::strcmp(name, "sdl") == 0)
    b = MakeSdlBackend(&err);
  else
    return paramErr;
  if (!b) return err ? err : paramErr;
  gFailed = false;
  gBackend = std::move(b);
  return noErr;
}

int ZvToolkitStop(void) {
  if (gBackend) {
    gBackend->finish();
    gBackend.reset();
  }
  return gFailed ? 1 : 0;
}

int ZvToolkitFailed(void) { return gFailed ? 1 : 0; }

OSStatus LSOpenFSRef(const FSRef *inRef, FSRef *) {
  if (!inRef) return paramErr;
  const std::string path = zv::PathOfFSRef(*inRef);
  if (path.empty()) return paramErr;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return fnfErr;
  return gBackend ? gBackend->openDocument(path.c_str()) : OpenWithDesktop(path.c_str());
}

}  // extern "C"
