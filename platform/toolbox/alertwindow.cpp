// Alert windows: the icon of the alert's kind, the headline in bold, the
// informative text, and the buttons in a row at the bottom right, the
// default one rightmost. Controls: 'alrt' 1 to 3 are the buttons by item
// number, 'alrt' 10 the headline, 'alrt' 11 the informative text.
#include <algorithm>

#include "paint.h"
#include "toolkit.h"

namespace zv::tk {
namespace {

constexpr OSType kAlertSignature = ZV_FOURCC('a', 'l', 'r', 't');
constexpr short kWidth = 420, kTextLeft = 68, kTextRight = kWidth - 20, kButtonHeight = 20;

struct AlertState {
  WindowRef window;
  std::vector<std::pair<UInt32, SInt16>> commands;  // command -> item
  SInt16 defaultItem;
  SInt16 hit = 0;
};

OSStatus AlertHandler(EventHandlerCallRef, EventRef event, void *userData) {
  auto *state = static_cast<AlertState *>(userData);
  HICommand cmd;
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof cmd, nullptr, &cmd) != noErr)
    return eventNotHandledErr;
  auto it = std::find_if(state->commands.begin(), state->commands.end(), [&](auto &p) { return p.first == cmd.commandID; });
  if (it != state->commands.end())
    state->hit = it->second;
  else if (cmd.commandID == ZV_FOURCC('n', 'o', 't', '!'))  // closed with no cancel button: the default answers
    state->hit = state->defaultItem;
  else
    return eventNotHandledErr;
  QuitAppModalLoopForWindow(state->window);
  return noErr;
}

std::unique_ptr<Control> Make(Kind kind, Rect bounds, SInt32 number, const std::string &text) {
  auto c = std::make_unique<Control>();
  c->kind = kind;
  c->bounds = bounds;
  c->id = ControlID{kAlertSignature, number};
  c->text = text;
  return c;
}

}  // namespace

SInt16 RunAlertWindow(SInt16 alertType, const std::string &headline, const std::string &text,
                      const std::vector<AlertButton> &buttons, SInt16 defaultItem, SInt16 cancelItem) {
  const int textWidth = kTextRight - kTextLeft;
  auto headLines = WrapText(headline, textWidth, FontStyle::Bold);
  auto bodyLines = text.empty() ? std::vector<std::string>{} : WrapText(text, textWidth);
  int headBottom = 16 + static_cast<int>(headLines.size()) * LineHeight();
  int bodyBottom = headBottom + (bodyLines.empty() ? 0 : 8 + static_cast<int>(bodyLines.size()) * LineHeight());
  int buttonTop = std::max(16 + 36, bodyBottom) + 16;
  auto height = static_cast<short>(buttonTop + kButtonHeight + 16);

  Window *w = NewWindow("alert", "", kWidth, height);
  if (!w) return defaultItem;
  w->isAlert = true;
  auto icon = Make(Kind::AlertIcon, Rect{16, 20, 52, 56}, 0, "");
  icon->id = ControlID{0, 0};
  icon->value = alertType;
  AddControl(*w, std::move(icon));
  auto head = Make(Kind::StaticText, Rect{16, kTextLeft, static_cast<short>(headBottom), kTextRight}, 10, headline);
  head->bold = true;
  AddControl(*w, std::move(head));
  AddControl(*w, Make(Kind::StaticText, Rect{static_cast<short>(headBottom + 8), kTextLeft, static_cast<short>(bodyBottom), kTextRight},
                      11, text));

  AlertState state{Wrap(w), {}, defaultItem};
  // Right to left: the default button, then the others in item order.
  std::vector<AlertButton> order = buttons;
  std::stable_sort(order.begin(), order.end(),
                   [&](const AlertButton &a, const AlertButton &b) { return a.item == defaultItem && b.item != defaultItem; });
  int right = kWidth - 20;
  for (auto &b : order) {
    int width = std::max(80, TextWidth(b.text) + 24);
    auto c = Make(Kind::Button, Rect{static_cast<short>(buttonTop), static_cast<short>(right - width),
                                     static_cast<short>(buttonTop + kButtonHeight), static_cast<short>(right)},
                  b.item, b.text);
    c->isDefault = b.item == defaultItem;
    c->isCancel = b.item == cancelItem;
    c->command = c->isDefault ? ZV_FOURCC('o', 'k', ' ', ' ')
                 : c->isCancel ? ZV_FOURCC('n', 'o', 't', '!')
                               : ZV_FOURCC('o', 't', 'h', 'r');
    if (c->isDefault) {  // room for the default ring
      c->bounds.top -= 3, c->bounds.left -= 3, c->bounds.bottom += 3, c->bounds.right += 3;
    }
    state.commands.emplace_back(c->command, b.item);
    AddControl(*w, std::move(c));
    right -= width + 12;
  }
  EventTypeSpec commandEvent = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(Wrap(w)), AlertHandler, 1, &commandEvent, &state, nullptr);
  WindowRef ref = Wrap(w);
  ShowWindow(ref);
  BringToFront(ref);
  RunAppModalLoopForWindow(ref);
  DisposeWindow(ref);
  return state.hit ? state.hit : defaultItem;
}

}  // namespace zv::tk
