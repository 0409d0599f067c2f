// Shared small routines: colours, numbers and strings, the alerts through which
// the configuration side reports trouble, and whole-image helpers.
#pragma once

#include "PluginDefines.h"

#include <string_view>

// Colours.
RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b);
PIXREC LongInt2PixRec(SInt32 theLong);
SInt32 PixRec2LongInt(PIXREC thePixRec);
SInt32 RGBColor2LongInt(RGBColor theColor);
RGBColor LongInt2RGBColor(SInt32 theLong);

// Length-prefixed strings, cut at 255 characters.
void CopyC2PStr(std::string_view text, Str255 theString);
void AppendPStr(Str255 theString, ConstStr255Param tail);
void AppendCStr(Str255 theString, std::string_view tail);
void Num2Text(SInt32 theNum, Str255 theText);
CFStringRef MakeCFString(ConstStr255Param theString);

// Alerts. StandardWarning returns 1 for the default button, 2 for cancel;
// an empty cancelText gives a single button.
SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText);
void Notify(ConstStr255Param theMessage);
[[noreturn]] void Terminate(ConstStr255Param headline, ConstStr255Param description);
void Assert(const void *thePtr, ConstStr255Param failLocation);

// Conveniences for literal texts.
void Notify(std::string_view theMessage);
[[noreturn]] void Terminate(std::string_view headline, std::string_view description);
void Assert(const void *thePtr, std::string_view failLocation);

// Windows from the bundle's window descriptions. An empty nib name means the
// product's own; a window that cannot be made ends the process with a stop
// alert that says why.
WindowRef OpenNibWindowFromCFBundle(const char *theIdentifier, const char *theNib, const char *theWindow);

// Offscreen images.
GWorldPtr AllocateRectGWorld(Rect theRect);
void LockGWorld(GWorldPtr theGW);
Rect GetPortRect(GrafPtr thePort);
Rect CarbonGetPortBounds(GrafPtr thePort);
void Source2Target(GrafPtr theSource, GrafPtr theTarget);
