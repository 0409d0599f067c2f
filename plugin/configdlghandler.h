// The configuration dialog: a modal window per media type, one command
// handler for its buttons and pop-ups, edits written at once with a live
// preview; OK stores the configuration, Cancel puts it back.
#pragma once

#include "PluginDefines.h"

#include <CarbonEvents.h>

// false when OK could not store the configuration (the user has been told).
Boolean DoConfig(PLUGINDATAPTR theConfig);
void SetupDialog(WindowRef theWindow, PLUGINDATAPTR theConfig);
void SetupColors(WindowRef theWindow, PLUGINDATAPTR theConfig);
void Config2Dlg(PLUGINDATAPTR theConfig);
OSStatus TheDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void *userData);

// The window description for a media type; anything unknown is NTSC.
const char *DialogWindowName(SInt16 mediaType);
