#include "colorCTRL.h"

#include "carbonmacros.h"
#include "commonprocs.h"

#include <ColorPicker.h>

#include <cstring>

namespace {

ToolboxObjectClassRef lgColorBoxClassRef = nullptr;
EventHandlerUPP lgMyHandlerUPP = nullptr;

constexpr const char *kColorClassID = "com.dravik.kelvora.color";

RGBColor Value2RGBColor(SInt32 theValue) {
  const PIXREC p = LongInt2PixRec(theValue);
  return SetRGBColor(static_cast<SInt16>(p.RED * 256), static_cast<SInt16>(p.GREEN * 256),
                     static_cast<SInt16>(p.BLUE * 256));
}

}  // namespace

void RegisterColorBox() {
  static const EventTypeSpec kEvents[] = {{kEventClassControl, kEventControlDraw},
                                          {kEventClassControl, kEventControlHitTest},
                                          {kEventClassControl, kEventControlHit}};
  RegisterControlClass(kColorClassID, kEvents, 3, ColorBoxControlHandler, lgMyHandlerUPP, lgColorBoxClassRef);
}

void UnregisterColorBox() { UnregisterControlClass(lgMyHandlerUPP, lgColorBoxClassRef); }

OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void *) {
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
      SetPortWindowPort(GetControlOwner(control));
      Rect bounds;
      GetControlBounds(control, &bounds);
      const UInt16 hilite = GetControlHilite(control);
      if (hilite != kControlDisabledPart && hilite != kControlInactivePart)
        ColorBoxDraw(bounds, Value2RGBColor(GetControl32BitValue(control)));
      else
        EraseRect(&bounds);
      SetGWorld(savePort, saveDevice);
      result = noErr;
      break;
    }
    case kEventControlHit: {
      ControlRef control = GetEventControl(theEvent);
      RGBColor color = Value2RGBColor(GetControl32BitValue(control));
      Str255 prompt;
      CopyC2PStr("Please choose color:", prompt);
      if (UseColorPicker(Point{0, 0}, prompt, color, color)) {
        const PIXREC picked = {0, static_cast<UInt8>(color.red >> 8), static_cast<UInt8>(color.green >> 8),
                               static_cast<UInt8>(color.blue >> 8)};
        SetControl32BitValue(control, PixRec2LongInt(picked));
      }
      // Not handled, so the toolbox sends the box's command, picked or not.
      result = eventNotHandledErr;
      break;
    }
    default:
      break;
  }
  return result;
}

void ColorBoxDraw(Rect theRect, RGBColor theColor) {
  const RGBColor black = SetRGBColor(0, 0, 0);
  RGBForeColor(&theColor);
  PaintRect(&theRect);
  RGBForeColor(&black);
  FrameRect(&theRect);
}

Boolean UseColorPicker(Point where, ConstStr255Param prompt, RGBColor inColor, RGBColor &outColor) {
  NColorPickerInfo info;
  std::memset(&info, 0, sizeof info);
  info.theColor.profile = nullptr;
  info.theColor.color.rgb = {inColor.red, inColor.green, inColor.blue};
  info.dstProfile = nullptr;
  info.flags = kColorPickerDialogIsMoveable | kColorPickerDialogIsModal | kColorPickerAppIsColorSyncAware |
               kColorPickerInPickerDialog;
  info.placeWhere = kAtSpecifiedOrigin;
  info.dialogOrigin = where;
  info.pickerType = 0;
  std::memcpy(info.prompt, prompt, prompt[0] + 1);
  info.newColorChosen = false;
  if (NPickColor(&info) != noErr || !info.newColorChosen) return false;
  outColor = {info.theColor.color.rgb.red, info.theColor.color.rgb.green, info.theColor.color.rgb.blue};
  return true;
}
