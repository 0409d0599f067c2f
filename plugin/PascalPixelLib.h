// Direct access to an image's pixels: locks them and reports where they are.
#pragma once

#include "PluginDefines.h"

// Leaves the pixels locked; hand pixFlags back to SetPixelsState when done.
void GetPixInfoFromGWorld(GrafPtr theGW, Ptr &pixBaseAddress, SInt32 &pixRowBytes, Rect &theFrame,
                          GWorldFlags &pixFlags);
