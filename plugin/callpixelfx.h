// The two roads into the pixel effect: a host frame, and the dialog's preview.
#pragma once

#include "PluginDefines.h"

void DoPascalPixelEffect(GrafPtr source, GrafPtr dest, PLUGINDATAPTR theConfig, SInt32 currentFrameIndex,
                         SInt32 maxFrames);
void CallPixelEffect(GrafPtr source, GrafPtr dest);
void PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PLUGINDATAPTR theConfig, SInt32 currentFrame,
                SInt32 numFrames);
