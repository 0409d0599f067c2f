// The colour box: a custom control that shows one colour and changes it with
// the colour picker. Its value is the colour packed as 0x00RRGGBB.
#pragma once

#include "PluginDefines.h"

#include <CarbonEvents.h>

void RegisterColorBox();
void UnregisterColorBox();
OSStatus ColorBoxControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void *userData);
void ColorBoxDraw(Rect theRect, RGBColor theColor);
Boolean UseColorPicker(Point where, ConstStr255Param prompt, RGBColor inColor, RGBColor &outColor);
