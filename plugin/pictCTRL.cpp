#include "pictCTRL.h"

#include "carbonmacros.h"
#include "commonprocs.h"

namespace {

ToolboxObjectClassRef lgPictureControlClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

constexpr const char *kPictureClassID = "com.dravik.kelvora.imageCTRL";

void DrawPictureBox(ControlRef control) {
  Rect bounds;
  GetControlBounds(control, &bounds);
  const UInt16 hilite = GetControlHilite(control);
  if (hilite == kControlDisabledPart || hilite == kControlInactivePart) return;
  const RGBColor white = SetRGBColor(-1, -1, -1), black = SetRGBColor(0, 0, 0);
  RGBBackColor(&white);
  EraseRect(&bounds);
  RGBForeColor(&black);
  FrameRect(&bounds);
  if (hilite != 0) InvertRect(&bounds);  // pressed
}

}  // namespace

void RegisterPictureControl() {
  static const EventTypeSpec kEvents[] = {{kEventClassControl, kEventControlDraw},
                                          {kEventClassControl, kEventControlHitTest},
                                          {kEventClassControl, kEventControlHit}};
  RegisterControlClass(kPictureClassID, kEvents, 3, PictureControlHandler, lgMyHandlerUPP, lgPictureControlClassRef);
}

void UnregisterPictureControl() { UnregisterControlClass(lgMyHandlerUPP, lgPictureControlClassRef); }

OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void *) {
  OSStatus result = eventNotHandledErr;
  switch (GetEventKind(theEvent)) {
    case kEventControlHitTest:
      AnswerHitTestInBounds(theEvent);
      result = noErr;
      break;
    case kEventControlDraw: {
      CGrafPtr savePort;
      GDHandle saveDevice;
      GetGWorld(&savePort, &saveDevice);
      ControlRef control = GetEventControl(theEvent);
      WindowRef owner = GetControlOwner(control);
      if (GetWindowPort(owner)) {
        SetPortWindowPort(owner);
        DrawPictureBox(control);
      }
      SetGWorld(savePort, saveDevice);
      result = noErr;
      break;
    }
    case kEventControlHit:
      (void)GetEventControl(theEvent);
      result = eventNotHandledErr;  // the toolbox sends the box's command, if it has one
      break;
    default:
      break;
  }
  return result;
}
