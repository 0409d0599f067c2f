/* Control Manager: the controls of a window, found by control identifier.
   Kinds: push button, check box, pop-up menu, slider, static text and custom
   controls of a registered toolbox object class (CarbonEvents.h).
   Every call accepts NULL or a stale control and then does nothing (getters
   return 0 / NULL). Changing a value, text or visibility redraws the control. */
#ifndef ZV_CONTROLS_H
#define ZV_CONTROLS_H

#include "MacWindows.h"

ZV_EXTERN_C_BEGIN

typedef struct OpaqueControlRef *ControlRef;
typedef ControlRef ControlHandle;
typedef SInt16 ControlPartCode;

typedef struct ControlID {
  OSType signature;
  SInt32 id;
} ControlID;

enum {
  kControlNoPart = 0,
  kControlMenuPart = 2,
  kControlButtonPart = 10,
  kControlCheckBoxPart = 11,
  kControlIndicatorPart = 129,
  kControlDisabledPart = 254, /* GetControlHilite of a disabled control */
  kControlInactivePart = 255  /* GetControlHilite of an inactive control */
};

enum { kControlStaticTextTextTag = ZV_FOURCC('t', 'e', 'x', 't') };
enum { errUnknownControl = -30584, errDataNotSupported = -30580 };

/* Called while a slider is tracked, at every change of its value. */
typedef void (*ControlActionProcPtr)(ControlRef theControl, ControlPartCode partCode);
typedef ControlActionProcPtr ControlActionUPP;
ControlActionUPP NewControlActionUPP(ControlActionProcPtr userRoutine);
void SetControlAction(ControlRef theControl, ControlActionUPP actionProc);

/* errUnknownControl (and *outControl NULL) when the window has no such control. */
OSStatus GetControlByID(WindowRef inWindow, const ControlID *inID, ControlRef *outControl);
Rect *GetControlBounds(ControlRef control, Rect *bounds);
WindowRef GetControlOwner(ControlRef control);
/* 0, the part being pressed, kControlDisabledPart or kControlInactivePart. */
UInt16 GetControlHilite(ControlRef control);

/* The value is kept within the control's minimum and maximum. */
SInt32 GetControl32BitValue(ControlRef theControl);
void SetControl32BitValue(ControlRef theControl, SInt32 newValue);
void SetControl32BitMinimum(ControlRef theControl, SInt32 newMinimum);
void SetControl32BitMaximum(ControlRef theControl, SInt32 newMaximum);

/* kControlStaticTextTextTag only: inData holds inSize Mac Roman characters,
   no length byte, no terminator. Sets a control's title or text. */
OSErr SetControlData(ControlRef inControl, ControlPartCode inPart, ResType inTagName, Size inSize,
                     const void *inData);

void Draw1Control(ControlRef theControl);
void ShowControl(ControlRef inControl);
void HideControl(ControlRef inControl);

ZV_EXTERN_C_END

#endif
