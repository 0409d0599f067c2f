// The picture box: a white, black-framed custom control that answers clicks
// like a button.
#pragma once

#include "PluginDefines.h"

#include <CarbonEvents.h>

void RegisterPictureControl();
void UnregisterPictureControl();
OSStatus PictureControlHandler(EventHandlerCallRef myHandler, EventRef theEvent, void *userData);
