// The about window: the product name and the version of the running build.
#pragma once

#include "PluginDefines.h"

#include <CarbonEvents.h>

void ShowAbout();
OSStatus AboutDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void *userData);
