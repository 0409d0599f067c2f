// The frame editor: a custom control that shows the rendered preview with the
// effect rectangle and its corner handles, and moves and resizes the rectangle
// under the mouse.
#pragma once

#include "PluginDefines.h"

#include <CarbonEvents.h>

// Part codes of the frame editor.
enum {
  kClipPartNone = 0,
  kClipPartTopLeft = 1,
  kClipPartTopRight = 2,
  kClipPartBottomLeft = 3,
  kClipPartBottomRight = 4,
  kClipPartMove = 5
};

void RegisterClipCtrl();
void UnregisterClipCtrl();
OSStatus ClipCtrlControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void *userData);

SInt16 IsHandleHit(Rect theRect, Point theLoc);
void DrawHandles(Rect theRect);
void DrawFrameContents(WindowRef theWindow, Rect destRect);
void DragRect(Rect &theRect, Point oldLoc, Point newLoc);
void DragCorner(SInt16 theHandle, Rect &theRect, Point oldLoc, Point newLoc, UInt32 modifiers, Rect theFrame,
                RELRECT origRel);
void KeepImageProps(Rect &theRect);
void CalcAndKeepImageProps();
