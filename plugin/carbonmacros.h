// Dialog control helpers: controls addressed by window, signature and number.
// The text and visibility helpers skip a control the window lacks, so dialogs
// may name optional controls.
#pragma once

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
