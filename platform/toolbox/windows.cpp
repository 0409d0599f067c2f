// Windows: the registry of live windows and controls, z-order, ports, and
// the Window Manager calls. A disposed window leaves the registry at once
// (stale references then do nothing) but its memory stays until the modal
// loop or dispatch that holds it has returned.
#include <algorithm>
#include <unordered_set>

#include "paint.h"
#include "toolkit.h"

namespace zv::tk {

namespace {
struct Registry {
  std::vector<std::shared_ptr<Window>> windows;  // back to front
  std::unordered_set<Control *> controls;
};
Registry &Reg() {
  static Registry r;
  return r;
}
}  // namespace

Window::~Window() {
  if (port) DisposeGWorld(port);
}

Window *LiveWindow(WindowRef ref) {
  for (auto &w : Reg().windows)
    if (Wrap(w.get()) == ref) return w.get();
  return nullptr;
}

Window *LiveWindowOfTarget(EventTargetRef t) {
  for (auto &w : Reg().windows)
    if (reinterpret_cast<EventTargetRef>(&w->target) == t) return w.get();
  return nullptr;
}

Control *LiveControl(ControlRef ref) {
  auto *c = Unwrap(ref);
  return c && Reg().controls.count(c) ? c : nullptr;
}

std::shared_ptr<Window> Hold(Window *w) {
  for (auto &p : Reg().windows)
    if (p.get() == w) return p;
  return nullptr;
}

void ForgetClass(ToolboxClass *cls) {
  for (Control *c : Reg().controls)
    if (c->cls == cls) c->cls = nullptr;
}

Window *NewWindow(const std::string &name, const std::string &title, short width, short height) {
  auto w = std::make_shared<Window>();
  w->name = name;
  w->title = title;
  w->width = width;
  w->height = height;
  Rect bounds{0, 0, height, width};
  if (NewGWorld(&w->port, 32, &bounds, nullptr, nullptr, 0) != noErr || !w->port) return nullptr;
  Canvas(w->port).fill(bounds, kFace);
  Reg().windows.push_back(w);
  return w.get();
}

Control *AddControl(Window &w, std::unique_ptr<Control> c) {
  c->owner = &w;
  Control *raw = c.get();
  w.controls.push_back(std::move(c));
  Reg().controls.insert(raw);
  return raw;
}

Window *Front() {
  auto &ws = Reg().windows;
  for (auto it = ws.rbegin(); it != ws.rend(); ++it)
    if ((*it)->shown) return it->get();
  return nullptr;
}

Control *FindControl(Window &w, OSType signature, SInt32 number) {
  for (auto &c : w.controls)
    if (c->id.signature == signature && c->id.id == number) return c.get();
  return nullptr;
}

// Mac Roman 0x80-0xFF as Unicode code points.
std::string MacRomanToUtf8(const char *bytes, size_t size) {
  static const char16_t kHigh[128] = {
      0xC4,   0xC5,   0xC7,   0xC9,   0xD1,   0xD6,   0xDC,   0xE1,   0xE0,   0xE2,   0xE4,   0xE3,   0xE5,
      0xE7,   0xE9,   0xE8,   0xEA,   0xEB,   0xED,   0xEC,   0xEE,   0xEF,   0xF1,   0xF3,   0xF2,   0xF4,
      0xF6,   0xF5,   0xFA,   0xF9,   0xFB,   0xFC,   0x2020, 0xB0,   0xA2,   0xA3,   0xA7,   0x2022, 0xB6,
      0xDF,   0xAE,   0xA9,   0x2122, 0xB4,   0xA8,   0x2260, 0xC6,   0xD8,   0x221E, 0xB1,   0x2264, 0x2265,
      0xA5,   0xB5,   0x2202, 0x2211, 0x220F, 0x3C0,  0x222B, 0xAA,   0xBA,   0x3A9,  0xE6,   0xF8,   0xBF,
      0xA1,   0xAC,   0x221A, 0x192,  0x2248, 0x2206, 0xAB,   0xBB,   0x2026, 0xA0,   0xC0,   0xC3,   0xD5,
      0x152,  0x153,  0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0xF7,   0x25CA, 0xFF,   0x178,  0x2044,
      0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0xB7,   0x201A, 0x201E, 0x2030, 0xC2,   0xCA,   0xC1,
      0xCB,   0xC8,   0xCD,   0xCE,   0xCF,   0xCC,   0xD3,   0xD4,   0xF8FF, 0xD2,   0xDA,   0xDB,   0xD9,
      0x131,  0x2C6,  0x2DC,  0xAF,   0x2D8,  0x2D9,  0x2DA,  0xB8,   0x2DD,  0x2DB,  0x2C7};
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    auto b = static_cast<uint8_t>(bytes[i]);
    char32_t c = b < 0x80 ? b : kHigh[b - 0x80];
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace zv::tk

using namespace zv::tk;

extern "C" {

void ShowWindow(WindowRef ref) {
  Window *w = LiveWindow(ref);
  if (!w || w->shown) return;
  w->shown = true;
  auto hold = Hold(w);
  if (!w->activated) {
    w->activated = true;
    SendActivate(*w);
  }
  if (!w->disposed) DrawWindow(*w);
  if (!w->disposed && CurrentBackend()) CurrentBackend()->windowShown(ref);
}

void BringToFront(WindowRef ref) {
  auto &ws = Reg().windows;
  auto it = std::find_if(ws.begin(), ws.end(), [&](auto &p) { return Wrap(p.get()) == ref; });
  if (it == ws.end()) return;
  auto w = *it;
  ws.erase(it);
  ws.push_back(w);
}

void DisposeWindow(WindowRef ref) {
  auto &ws = Reg().windows;
  auto it = std::find_if(ws.begin(), ws.end(), [&](auto &p) { return Wrap(p.get()) == ref; });
  if (it == ws.end()) return;
  auto w = *it;  // outlives the erase; a running loop may hold another reference
  if (CurrentBackend()) CurrentBackend()->windowGone(ref);
  w->disposed = true;
  w->shown = false;
  for (auto &c : w->controls) Reg().controls.erase(c.get());
  ws.erase(std::find(ws.begin(), ws.end(), w));
}

CGrafPtr GetWindowPort(WindowRef ref) {
  Window *w = LiveWindow(ref);
  return w ? w->port : nullptr;
}

void SetPortWindowPort(WindowRef ref) {
  if (CGrafPtr port = GetWindowPort(ref)) SetPort(port);
}

}  // extern "C"

namespace zv {
WindowRef FrontWindow() { return Wrap(tk::Front()); }
std::string WindowName(WindowRef w) {
  Window *win = LiveWindow(w);
  return win ? win->name : std::string();
}
std::string ControlText(ControlRef c) {
  Control *ctl = LiveControl(c);
  return ctl ? ctl->text : std::string();
}
bool ControlVisible(ControlRef c) {
  Control *ctl = LiveControl(c);
  return ctl && ctl->visible;
}
}  // namespace zv
