#include "aboutwindow.h"

#include "carbonmacros.h"
#include "commonprocs.h"


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
  Str255 name;
  GetEventCommandStr(theEvent, name);
  lgItemHit = -1;
  if (IsCommand(name, "ok  ")) {
    lgItemHit = 1;
    result = noErr;
    QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
  } else if (IsCommand(name, "not!")) {
    lgItemHit = 2;
    result = noErr;
    QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
  }
  return result;
}
