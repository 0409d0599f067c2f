// The colour picker: a modal window with red, green and blue sliders (0 to
// 255, live), the old and the new colour side by side, OK and Cancel.
// Controls: 'pick' 1-3 the sliders, 4 the old colour, 5 the new one, 6 OK,
// 7 Cancel, 10 the prompt, 11-13 the slider values.
#include <cstring>

#include "paint.h"
#include "toolkit.h"

namespace zv::tk {
namespace {

constexpr OSType kSig = ZV_FOURCC('p', 'i', 'c', 'k');

struct Picker {
  WindowRef window;
  RGBColor colour;
  bool chosen = false;
};
Picker *gPicker = nullptr;  // the picker is modal: one at a time

std::unique_ptr<Control> Make(Kind kind, Rect bounds, SInt32 number, const std::string &text = {}) {
  auto c = std::make_unique<Control>();
  c->kind = kind;
  c->bounds = bounds;
  c->id = ControlID{kSig, number};
  c->text = text;
  return c;
}

void SliderMoved(ControlRef slider, ControlPartCode) {
  if (!gPicker) return;
  Control *c = LiveControl(slider);
  Window *w = LiveWindow(gPicker->window);
  if (!c || !w) return;
  // Only a moved slider changes its component, so OK without a move keeps the colour exactly.
  auto v = static_cast<unsigned short>(c->value * 257);
  unsigned short *component[] = {&gPicker->colour.red, &gPicker->colour.green, &gPicker->colour.blue};
  *component[c->id.id - 1] = v;
  if (Control *swatch = FindControl(*w, kSig, 5)) {
    swatch->swatch = gPicker->colour;
    DrawControl(*swatch);
  }
  if (Control *label = FindControl(*w, kSig, 10 + c->id.id)) {
    label->text = std::to_string(c->value);
    DrawControl(*label);
  }
}

OSStatus PickerHandler(EventHandlerCallRef, EventRef event, void *userData) {
  auto *picker = static_cast<Picker *>(userData);
  HICommand cmd;
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof cmd, nullptr, &cmd) != noErr)
    return eventNotHandledErr;
  if (cmd.commandID != ZV_FOURCC('o', 'k', ' ', ' ') && cmd.commandID != ZV_FOURCC('n', 'o', 't', '!'))
    return eventNotHandledErr;
  picker->chosen = cmd.commandID == ZV_FOURCC('o', 'k', ' ', ' ');
  QuitAppModalLoopForWindow(picker->window);
  return noErr;
}

}  // namespace
}  // namespace zv::tk

using namespace zv::tk;

extern "C" OSErr NPickColor(NColorPickerInfo *info) {
  if (!info) return paramErr;
  info->newColorChosen = false;
  if (!CurrentBackend() || gPicker) return noErr;  // nobody to ask: the colour stays

  const CMRGBColor &start = info->theColor.color.rgb;
  Window *w = NewWindow("colorpicker", "Colors", 360, 200);
  if (!w) return memFullErr;
  std::string prompt = MacRomanToUtf8(reinterpret_cast<const char *>(info->prompt + 1), info->prompt[0]);
  AddControl(*w, Make(Kind::StaticText, Rect{12, 16, 30, 344}, 10, prompt));
  const char *names[] = {"Red", "Green", "Blue"};
  const unsigned short values[] = {start.red, start.green, start.blue};
  for (int i = 0; i < 3; ++i) {
    auto top = static_cast<short>(40 + 28 * i);
    AddControl(*w, Make(Kind::StaticText, Rect{static_cast<short>(top + 2), 16, static_cast<short>(top + 20), 60}, 20 + i, names[i]));
    auto s = Make(Kind::Slider, Rect{top, 60, static_cast<short>(top + 20), 250}, i + 1);
    s->maximum = 255;
    s->value = values[i] >> 8;
    s->live = true;
    s->action = SliderMoved;
    AddControl(*w, std::move(s));
    AddControl(*w, Make(Kind::StaticText, Rect{static_cast<short>(top + 2), 256, static_cast<short>(top + 20), 290}, 11 + i,
                        std::to_string(values[i] >> 8)));
  }
  RGBColor old{start.red, start.green, start.blue};
  for (int i = 0; i < 2; ++i) {
    auto sw = Make(Kind::Swatch, Rect{40, static_cast<short>(296 + 24 * i), 120, static_cast<short>(320 + 24 * i)}, 4 + i);
    sw->swatch = old;
    AddControl(*w, std::move(sw));
  }
  auto ok = Make(Kind::Button, Rect{153, 257, 181, 344}, 6, "OK");
  ok->command = ZV_FOURCC('o', 'k', ' ', ' ');
  ok->isDefault = true;
  AddControl(*w, std::move(ok));
  auto cancel = Make(Kind::Button, Rect{157, 160, 177, 245}, 7, "Cancel");
  cancel->command = ZV_FOURCC('n', 'o', 't', '!');
  cancel->isCancel = true;
  AddControl(*w, std::move(cancel));

  Picker picker{Wrap(w), old};
  gPicker = &picker;
  EventTypeSpec commandEvent = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(picker.window), PickerHandler, 1, &commandEvent, &picker, nullptr);
  ShowWindow(picker.window);
  BringToFront(picker.window);
  RunAppModalLoopForWindow(picker.window);
  DisposeWindow(picker.window);
  gPicker = nullptr;
  if (picker.chosen) {
    info->theColor.color.rgb = CMRGBColor{picker.colour.red, picker.colour.green, picker.colour.blue};
    info->newColorChosen = true;
  }
  return noErr;
}
