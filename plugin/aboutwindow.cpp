#include "aboutwindow.h"

#include "carbonmacros.h"
#include "commonprocs.h"

#include <cstring>

namespace {
WindowRef lgTheWindow = nullptr;
SInt16 lgItemHit = 0;
}  // namespace

void ShowAbout() {
  CGrafPtr savePort;
  GDHandle saveDevice;
  GetGWorld(&savePort, &saveDevice);
  lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
  if (!lgTheWindow) return;
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  InstallEventHandler(GetWindowEventTarget(lgTheWindow), NewEventHandlerUPP(AboutDialogHandler), 1, &command,
                      lgTheWindow, nullptr);
  Str255 text;
  CopyC2PStr(cMyClearName, text);
  SimpleSetControlText(lgTheWindow, ZV_FOURCC('P', 'l', 'u', 'g'), 1, text);
  CopyC2PStr("Version ", text);
  AppendCStr(text, cPlugVersion);
  SimpleSetControlText(lgTheWindow, ZV_FOURCC('V', 'e', 'r', 's'), 1, text);
  ShowWindow(lgTheWindow);
  BringToFront(lgTheWindow);
  RunAppModalLoopForWindow(lgTheWindow);
  DisposeWindow(lgTheWindow);
  lgTheWindow = nullptr;
  SetGWorld(savePort, saveDevice);
}

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void *userData) {
  OSStatus result = eventNotHandledErr;
  HICommand command;
  std::memset(&command, 0, sizeof command);
  GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  Str255 name;
  CommandID2Str(command.commandID, name);
  lgItemHit = -1;
  if (std::memcmp(name + 1, "ok  ", 4) == 0) {
    lgItemHit = 1;
    result = noErr;
    QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
  } else if (std::memcmp(name + 1, "not!", 4) == 0) {
    lgItemHit = 2;
    result = noErr;
    QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
  }
  return result;
}
