#include "clipCTRL.h"

#include "DataHandling.h"
#include "callpixelfx.h"
#include "carbonmacros.h"
#include "commonprocs.h"
#include "dlgUtils.h"
#include "relrects.h"

// Sections: class · event handler · geometry · drawing.

namespace {

ToolboxObjectClassRef lgClipCtrlClassRef1 = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

constexpr const char *kClipClassID = "com.dravik.kelvora.clip";

const RGBColor kWhite = {65535, 65535, 65535};
const RGBColor kBlack = {0, 0, 0};

CGrafPtr DialogPort() { return GetWindowPort(gConfigWorkSpace.THEWINDOW); }

// Puts the dialog port's clip back to its whole rectangle, leaving the
// current port as it is.
void ResetDialogClip() {
  CGrafPtr port = DialogPort();
  if (!port) return;
  GrafPtr saved;
  GetPort(&saved);
  SetPort(port);
  Rect whole = GetPortRect(port);
  ClipRect(&whole);
  SetPort(saved);
}

Point Corner(short h, short v) {
  Point p;
  p.h = h;
  p.v = v;
  return p;
}

// The 12 x 12 square centred on a corner.
Rect HandleSquare(Point corner) {
  Rect r;
  SetRect(&r, static_cast<short>(corner.h - cHandleSize), static_cast<short>(corner.v - cHandleSize),
          static_cast<short>(corner.h + cHandleSize), static_cast<short>(corner.v + cHandleSize));
  return r;
}

void TrackDrag(EventRef theEvent) {
  ControlRef control = GetEventControl(theEvent);
  Point mouseLocation = GetEventMouse(theEvent);
  UInt32 modifierKeys = 0;  // read once: keys pressed during the drag change nothing
  GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifierKeys, nullptr,
                    &modifierKeys);
  SetPort(DialogPort());
  Rect bounds;
  GetControlBounds(control, &bounds);
  ClipRect(&bounds);

  Rect testRect = Rel2Rect(gConfigWorkSpace.THECONFIG->STARTREL, bounds);
  const RELRECT origRel = GetCurrentRel();
  const Rect origRect = testRect;
  const SInt16 whatPart = IsHandleHit(testRect, mouseLocation);

  for (;;) {
    Point newLoc;
    MouseTrackingResult trackingResult;
    if (TrackMouseLocation(nullptr, &newLoc, &trackingResult) != noErr) break;
    if (trackingResult == kMouseTrackingMouseUp) break;
    if (trackingResult != kMouseTrackingMouseDragged || !PtInRect(newLoc, &bounds) || whatPart < 1) continue;
    if (whatPart <= kClipPartBottomRight) {
      // Each step starts from the rectangle at mouse-down.
      testRect = origRect;
      DragCorner(whatPart, testRect, mouseLocation, newLoc, modifierKeys, bounds, origRel);
    } else {
      DragRect(testRect, mouseLocation, newLoc);
      mouseLocation = newLoc;
    }
    PutCurrentRel(Rect2Rel(testRect, bounds));
    CallPixelEffect(gConfigWorkSpace.SOURCECLIP, gConfigWorkSpace.THEFXCLIP);
    DrawFrameContents(GetControlOwner(control), bounds);
  }
}

}  // namespace

// ---- Class ----------------------------------------------------------------

void RegisterClipCtrl() {
  static const EventTypeSpec kEvents[] = {
      {kEventClassControl, kEventControlDraw},     {kEventClassControl, kEventControlHitTest},
      {kEventClassControl, kEventControlHit},      {kEventClassControl, kEventControlActivate},
      {kEventClassControl, kEventControlOwningWindowChanged}, {kEventClassControl, kEventControlTrack}};
  RegisterControlClass(kClipClassID, kEvents, 6, ClipCtrlControlHandler, lgMyHandlerUPP, lgClipCtrlClassRef1);
}

void UnregisterClipCtrl() { UnregisterControlClass(lgMyHandlerUPP, lgClipCtrlClassRef1); }

// ---- Event handler --------------------------------------------------------

OSStatus ClipCtrlControlHandler(EventHandlerCallRef, EventRef theEvent, void *) {
  OSStatus result = eventNotHandledErr;
  switch (GetEventKind(theEvent)) {
    case kEventControlHit:
      (void)GetEventControl(theEvent);
      result = noErr;
      break;
    case kEventControlHitTest: {
      SetPort(DialogPort());
      ControlRef control = GetEventControl(theEvent);
      const Point where = GetEventMouse(theEvent);
      Rect bounds;
      GetControlBounds(control, &bounds);
      ControlPartCode part = kClipPartNone;
      if (PtInRect(where, &bounds)) part = IsHandleHit(Rel2Rect(gConfigWorkSpace.THECONFIG->STARTREL, bounds), where);
      SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      result = noErr;
      break;
    }
    case kEventControlDraw:
    case kEventControlActivate:
    case kEventControlOwningWindowChanged: {
      CGrafPtr savePort;
      GDHandle saveDevice;
      GetGWorld(&savePort, &saveDevice);
      ControlRef control = GetEventControl(theEvent);
      SetPort(DialogPort());
      Rect bounds;
      GetControlBounds(control, &bounds);
      const UInt16 hilite = GetControlHilite(control);
      if (hilite != kControlDisabledPart && hilite != kControlInactivePart)
        DrawFrameContents(gConfigWorkSpace.THEWINDOW, bounds);
      SetGWorld(savePort, saveDevice);
      result = noErr;
      break;
    }
    case kEventControlTrack:
      TrackDrag(theEvent);
      result = noErr;
      break;
    default:
      break;
  }
  ResetDialogClip();
  return result;
}

// ---- Geometry -------------------------------------------------------------

SInt16 IsHandleHit(Rect theRect, Point theLoc) {
  const Point corners[4] = {Corner(theRect.left, theRect.top), Corner(theRect.right, theRect.top),
                            Corner(theRect.left, theRect.bottom), Corner(theRect.right, theRect.bottom)};
  for (SInt16 i = 0; i < 4; ++i) {
    const Rect square = HandleSquare(corners[i]);
    if (PtInRect(theLoc, &square)) return static_cast<SInt16>(kClipPartTopLeft + i);
  }
  return PtInRect(theLoc, &theRect) ? kClipPartMove : kClipPartNone;
}

void DragRect(Rect &theRect, Point oldLoc, Point newLoc) {
  OffsetRect(&theRect, static_cast<short>(newLoc.h - oldLoc.h), static_cast<short>(newLoc.v - oldLoc.v));
}

void DragCorner(SInt16 theHandle, Rect &theRect, Point oldLoc, Point newLoc, UInt32 modifiers, Rect theFrame,
                RELRECT origRel) {
  Point fixPoint, varPoint;
  switch (theHandle) {
    case kClipPartTopLeft:
      fixPoint = Corner(theRect.right, theRect.bottom);
      varPoint = Corner(theRect.left, theRect.top);
      break;
    case kClipPartTopRight:
      fixPoint = Corner(theRect.left, theRect.bottom);
      varPoint = Corner(theRect.right, theRect.top);
      break;
    case kClipPartBottomLeft:
      fixPoint = Corner(theRect.right, theRect.top);
      varPoint = Corner(theRect.left, theRect.bottom);
      break;
    case kClipPartBottomRight:
      fixPoint = Corner(theRect.left, theRect.top);
      varPoint = Corner(theRect.right, theRect.bottom);
      break;
    default:
      return;
  }
  const short dh = static_cast<short>(newLoc.h - oldLoc.h), dv = static_cast<short>(newLoc.v - oldLoc.v);
  varPoint.h = static_cast<short>(varPoint.h + dh);
  varPoint.v = static_cast<short>(varPoint.v + dv);
  if (modifiers & optionKey) {  // grow or shrink about the centre
    fixPoint.h = static_cast<short>(fixPoint.h - dh);
    fixPoint.v = static_cast<short>(fixPoint.v - dv);
  }
  Pt2Rect(fixPoint, varPoint, &theRect);
  if (modifiers & shiftKey) {  // the proportions of the rectangle at mouse-down
    const Rect origRect = Rel2Rect(origRel, theFrame);
    SInt32 w, h;
    GetDims(origRect, w, h);
    theRect = w > h ? KeepPropsWithFixedHorizontal(origRect, theRect) : KeepPropsWithFixedVertical(origRect, theRect);
  }
  KeepImageProps(theRect);
}

void KeepImageProps(Rect &theRect) {
  if (!gConfigWorkSpace.THECONFIG->KEEPPROPS) return;
  SInt32 w, h;
  GetDims(GetControlBox(gConfigWorkSpace.THEFRAMECTRL), w, h);
  Rect propRect;
  SetRect(&propRect, 0, 0, static_cast<short>(w), static_cast<short>(h));
  theRect = w > h ? KeepPropsWithFixedHorizontal(propRect, theRect) : KeepPropsWithFixedVertical(propRect, theRect);
}

void CalcAndKeepImageProps() {
  const RELRECT theRel = GetCurrentRel();
  const Rect theFrame = GetControlBox(gConfigWorkSpace.THEFRAMECTRL);
  const Rect before = Rel2Rect(theRel, theFrame);
  Rect theRect = before;
  KeepImageProps(theRect);
  // Stored fractions change only when the proportions do: a trip through
  // pixels alone would truncate them.
  if (!EqualRect(&theRect, &before)) PutCurrentRel(Rect2Rel(theRect, theFrame));
}

// ---- Drawing --------------------------------------------------------------

void DrawHandles(Rect theRect) {
  RGBForeColor(&kWhite);
  PenMode(srcOr);
  const Point corners[4] = {Corner(theRect.left, theRect.top), Corner(theRect.right, theRect.top),
                            Corner(theRect.left, theRect.bottom), Corner(theRect.right, theRect.bottom)};
  for (const Point &corner : corners) {
    Rect ring = HandleSquare(corner);
    RGBForeColor(&kBlack);
    FrameOval(&ring);
    InsetRect(&ring, 1, 1);
    RGBForeColor(&kWhite);
    FrameOval(&ring);
    InsetRect(&ring, 1, 1);
    RGBForeColor(&kBlack);
    FrameOval(&ring);
  }
  PenNormal();
}

void DrawFrameContents(WindowRef theWindow, Rect destRect) {
  CGrafPtr port = GetWindowPort(theWindow);
  RGBBackColor(&kWhite);
  RGBForeColor(&kBlack);
  const Rect fxRect = GetPortRect(gConfigWorkSpace.THEFXCLIP);
  CopyBits(GetPortBitMapForCopyBits(gConfigWorkSpace.THEFXCLIP), GetPortBitMapForCopyBits(port), &fxRect, &destRect,
           srcCopy, nullptr);
  ClipRect(&destRect);
  RGBForeColor(&gConfigWorkSpace.THECONFIG->FRAMESTARTCOLOR);
  const Rect effectRect = Rel2Rect(gConfigWorkSpace.THECONFIG->STARTREL, destRect);
  FrameRect(&effectRect);
  if (gConfigWorkSpace.ACTIVEREL == 1) DrawHandles(effectRect);
  const Rect whole = GetPortRect(port);
  ClipRect(&whole);
  RGBForeColor(&kBlack);
  FrameRect(&destRect);
}
