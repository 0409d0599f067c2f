// Private core of the window toolkit: windows, controls, event targets, the
// input entry point shared by every backend, and the backend interface.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CarbonEvents.h"
#include "ColorPicker.h"
#include "Nib.h"
#include "ToolkitBackend.h"

namespace zv::tk {

// ---- input: what both backends produce ---------------------------------------
enum class InputKind { MouseDown, MouseDrag, MouseUp, Key, Command, Close, End };
enum class Key { Return, Escape, Character };

struct Input {
  InputKind kind = InputKind::End;
  WindowRef window = nullptr;  // nullptr: the front window
  double x = 0, y = 0;         // window-local; scripts may give fractions of a pixel
  UInt32 modifiers = 0;
  Key key = Key::Character;
  char character = 0;
  UInt32 command = 0;
  bool ended = false;  // a release made up because the input ran out
};

class Backend {
public:
  virtual ~Backend() = default;
  // Next input; kind End when the input has run out (scripts) for good.
  virtual Input next() = 0;
  virtual void windowShown(WindowRef) {}
  virtual void windowGone(WindowRef) {}
  // Documents to open: a script records them, a screen hands them to the desktop.
  virtual OSStatus openDocument(const std::string &path);
  virtual void finish() {}
  virtual bool scripted() const { return false; }
};

Backend *CurrentBackend();
OSStatus OpenWithDesktop(const std::string &path);  // xdg-open
void ReportFailure(const std::string &message);  // marks the run failed

// ---- events -----------------------------------------------------------------------
struct EventParam {
  EventParamType type;
  std::vector<uint8_t> bytes;
};
struct Event {
  UInt32 eventClass = 0, kind = 0;
  std::map<EventParamName, EventParam> params;
  void set(EventParamName name, EventParamType type, const void *data, size_t size);
  template <class T> void set(EventParamName name, EventParamType type, const T &v) { set(name, type, &v, sizeof v); }
  template <class T> bool get(EventParamName name, EventParamType type, T &out) const {
    auto it = params.find(name);
    if (it == params.end() || it->second.type != type || it->second.bytes.size() != sizeof(T)) return false;
    std::memcpy(&out, it->second.bytes.data(), sizeof(T));
    return true;
  }
};
inline Event *Unwrap(EventRef e) { return reinterpret_cast<Event *>(e); }
inline EventRef Wrap(Event *e) { return reinterpret_cast<EventRef>(e); }

struct HandlerRec {
  EventHandlerUPP proc;
  std::vector<EventTypeSpec> types;
  void *userData;
  bool wants(UInt32 cls, UInt32 kind) const;
};
struct EventTarget {
  std::vector<std::unique_ptr<HandlerRec>> handlers;
};
// Calls the target's handlers newest first until one does not answer eventNotHandledErr.
OSStatus SendToTarget(EventTarget &target, Event &event);

struct ToolboxClass {
  std::string id;
  std::vector<EventTypeSpec> types;
  EventHandlerUPP handler;
  void *userData;
};
ToolboxClass *FindClass(const std::string &id);
void ForgetClass(ToolboxClass *cls);  // its controls become inert

// ---- windows and controls ----------------------------------------------------------
enum class Kind { Button, CheckBox, Popup, Slider, StaticText, Custom, Swatch, AlertIcon };

struct Window;
struct Control {
  Window *owner = nullptr;
  Kind kind = Kind::StaticText;
  Rect bounds{};
  ControlID id{};
  UInt32 command = 0;
  std::string text;  // UTF-8 title or text
  SInt32 value = 0, minimum = 0, maximum = 0;
  bool visible = true, enabled = true, live = false, isDefault = false, isCancel = false;
  UInt16 hilite = 0;
  std::vector<std::string> items;  // pop-up menu
  ToolboxClass *cls = nullptr;     // custom
  ControlActionUPP action = nullptr;
  RGBColor swatch{};  // swatches of the colour picker
  bool bold = false;  // static text: alert headlines
};
inline Control *Unwrap(ControlRef c) { return reinterpret_cast<Control *>(c); }
inline ControlRef Wrap(Control *c) { return reinterpret_cast<ControlRef>(c); }

struct Window {
  std::string name, title;
  short width = 0, height = 0;
  GWorldPtr port = nullptr;
  bool shown = false, activated = false, disposed = false;
  std::vector<std::unique_ptr<Control>> controls;
  EventTarget target;
  int loops = 0;  // modal loops running for this window
  bool quitRequested = false;
  bool isAlert = false;
  ~Window();
};
inline WindowRef Wrap(Window *w) { return reinterpret_cast<WindowRef>(w); }

// NULL for anything that is not a live window / control.
Window *LiveWindow(WindowRef w);
Control *LiveControl(ControlRef c);
Window *LiveWindowOfTarget(EventTargetRef t);

// A new hidden window in front, its port erased to the window background.
Window *NewWindow(const std::string &name, const std::string &title, short width, short height);
Control *AddControl(Window &w, std::unique_ptr<Control> c);
Window *Front();
std::shared_ptr<Window> Hold(Window *w);  // keeps a window alive across a dispatch
Control *FindControl(Window &w, OSType signature, SInt32 number);

// ---- drawing and behaviour (controls.cpp) --------------------------------------------
// Background and every visible control. A window being made leaves its custom
// controls out: their owners set up what they draw only after it exists.
void DrawWindow(Window &w, bool customs = true);
void DrawControl(Control &c);    // one control, if visible
void EraseControl(Control &c);   // background under it, then what overlaps it
void SendActivate(Window &w);
OSStatus SendCommand(Window &w, UInt32 command, UInt32 attributes);

OSStatus SendControlEvent(Control &c, UInt32 kind, Event &e);  // to a custom control's class
void DrawOpenMenu(const Control &c, int highlighted);

// Geometry; the script backend uses it to act like a hand.
double SliderPosition(const Control &c, SInt32 value);  // along the slider's axis
SInt32 SliderValueAt(const Control &c, double pos);
bool SliderHorizontal(const Control &c);
Rect SliderThumb(const Control &c, double pos);
void SetSliderGhost(const Control &c, double pos);  // thumb drawn apart from the value
void ClearSliderGhost(const Control &c);
Rect PopupMenuRect(const Control &c);
Rect PopupItemRect(const Control &c, int item);  // 1-based item of the open menu

// ---- input (input.cpp) ---------------------------------------------------------------
// The one entry point: every input a backend produces is handled here.
void HandleInput(Window &modal, const Input &in);
// Next input while tracking; an End becomes a mouse-up at the last point.
Input NextTrackingInput();
void EndOfInput(Window &modal);

// ---- windows the toolkit makes itself ------------------------------------------------
struct AlertButton {
  SInt16 item;
  std::string text;
};
// A modal alert window; returns the item of the button pressed. Needs a backend.
SInt16 RunAlertWindow(SInt16 alertType, const std::string &headline, const std::string &text,
                      const std::vector<AlertButton> &buttons, SInt16 defaultItem, SInt16 cancelItem);

// ---- misc --------------------------------------------------------------------------
std::string MacRomanToUtf8(const char *bytes, size_t size);
std::string FourCC(UInt32 code);  // four characters, most significant byte first
bool WritePng(GWorldPtr port, const std::string &path);

}  // namespace zv::tk
