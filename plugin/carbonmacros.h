// Dialog control helpers: controls addressed by window, signature and number.
// The text and visibility helpers skip a control the window lacks, so dialogs
// may name optional controls.
#pragma once

#include "CarbonEvents.h"
#include "Controls.h"

// The identifier's four bytes as a 4-character string, most significant first.
void CommandID2Str(UInt32 theCommandID, Str255 theStr);
// NULL when the window has no such control.
ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber);
Rect GetControlBox(ControlRef theControl);
void SimpleSetControlText(WindowRef theWindow, OSType theSignature, SInt32 theNumber, ConstStr255Param theText);
void SimpleShowControl(WindowRef theWindow, OSType theSignature, SInt32 theNumber);
void SimpleHideControl(WindowRef theWindow, OSType theSignature, SInt32 theNumber);
// A missing control reads as 0 and ignores the new value.
SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber);
void SimpleSetControlValueByID(WindowRef theWindow, OSType theSignature, SInt32 theNumber, SInt32 theValue);

// Event parameters the dialog's handlers read.
ControlRef GetEventControl(EventRef theEvent);
Point GetEventMouse(EventRef theEvent);
// The command identifier of a command event, as its four characters.
void GetEventCommandStr(EventRef theEvent, Str255 theStr);
// True when theStr (from CommandID2Str) is the four-character name.
Boolean IsCommand(ConstStr255Param theStr, const char *theName);
// Answers a hit test: part 1 inside the control's bounds, 0 outside.
void AnswerHitTestInBounds(EventRef theEvent);

// A custom control class over the control events listed, with its handler
// routine; unregistering disposes of both (either may already be gone).
void RegisterControlClass(const char *theClassID, const EventTypeSpec *theEvents, UInt32 theCount,
                          EventHandlerProcPtr theHandler, EventHandlerUPP &theUPP, ToolboxObjectClassRef &theClass);
void UnregisterControlClass(EventHandlerUPP &theUPP, ToolboxObjectClassRef &theClass);
