#include "carbonmacros.h"

#include <cstring>

void CommandID2Str(UInt32 theCommandID, Str255 theStr) {
  // Shifts, not a byte copy: the same text on either byte order.
  theStr[0] = 4;
  for (int i = 0; i < 4; ++i) theStr[1 + i] = static_cast<unsigned char>(theCommandID >> (24 - 8 * i));
}

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber) {
  ControlID theID = {theSignature, theNumber};
  ControlRef theControl = nullptr;
  if (GetControlByID(theWindow, &theID, &theControl) != noErr) return nullptr;
  return theControl;
}

Rect GetControlBox(ControlRef theControl) {
  Rect theBox = {0, 0, 0, 0};
  GetControlBounds(theControl, &theBox);
  return theBox;
}

void SimpleSetControlText(WindowRef theWindow, OSType theSignature, SInt32 theNumber, ConstStr255Param theText) {
  ControlRef theControl = SimpleGetControlByID(theWindow, theSignature, theNumber);
  if (!theControl || !theText) return;
  SetControlData(theControl, 0, kControlStaticTextTextTag, theText[0], theText + 1);
  Draw1Control(theControl);
}

void SimpleShowControl(WindowRef theWindow, OSType theSignature, SInt32 theNumber) {
  if (ControlRef theControl = SimpleGetControlByID(theWindow, theSignature, theNumber)) ShowControl(theControl);
}

void SimpleHideControl(WindowRef theWindow, OSType theSignature, SInt32 theNumber) {
  if (ControlRef theControl = SimpleGetControlByID(theWindow, theSignature, theNumber)) HideControl(theControl);
}

SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber) {
  return GetControl32BitValue(SimpleGetControlByID(theWindow, theSignature, theNumber));
}

void SimpleSetControlValueByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber, SInt32 theValue) {
  SetControl32BitValue(SimpleGetControlByID(theWindow, theSignature, theNumber), theValue);
}

ControlRef GetEventControl(EventRef theEvent) {
  ControlRef theControl = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof theControl, nullptr,
                    &theControl);
  return theControl;
}

Point GetEventMouse(EventRef theEvent) {
  Point where = {0, 0};
  GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
  return where;
}

void GetEventCommandStr(EventRef theEvent, Str255 theStr) {
  HICommand command;
  std::memset(&command, 0, sizeof command);
  GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  CommandID2Str(command.commandID, theStr);
}

Boolean IsCommand(ConstStr255Param theStr, const char *theName) {
  return theStr[0] == 4 && std::memcmp(theStr + 1, theName, 4) == 0;
}

void AnswerHitTestInBounds(EventRef theEvent) {
  const Rect bounds = GetControlBox(GetEventControl(theEvent));
  const Point where = GetEventMouse(theEvent);
  ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
  SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
}

void RegisterControlClass(const char *theClassID, const EventTypeSpec *theEvents, UInt32 theCount,
                          EventHandlerProcPtr theHandler, EventHandlerUPP &theUPP, ToolboxObjectClassRef &theClass) {
  theUPP = NewEventHandlerUPP(theHandler);
  RegisterToolboxObjectClass(__CFStringMakeConstantString(theClassID), nullptr, theCount, theEvents, theUPP, nullptr,
                             &theClass);
}

void UnregisterControlClass(EventHandlerUPP &theUPP, ToolboxObjectClassRef &theClass) {
  if (theClass) UnregisterToolboxObjectClass(theClass);
  theClass = nullptr;
  if (theUPP) DisposeEventHandlerUPP(theUPP);
  theUPP = nullptr;
}
