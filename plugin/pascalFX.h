// The configuration side's operations for the host-facing half, which treats a
// configuration as an opaque block of pGetConfigSize bytes.
#pragma once

#include <HYPluginAPI.h>

void InitPascal();
void pGetConfigSize(UInt32 *theSize);
void InitMyPlugIn(Ptr *theData);
void InitPluginData(Ptr theData);
void pNewConfig(Ptr *theData);
void pCopyConfig(Ptr theSource, Ptr theDest);
void pUncopyConfig(Ptr theData);
void pDestroyConfig(Ptr theData);
SInt16 GetMediaFormat(Ptr theData);

// Renders one frame of source into target with the configuration theData.
void DoEffect(Ptr theData, _PluginParams *params, GWorldPtr source, GWorldPtr target, SInt32 currentFrame,
              SInt32 fadeInFrames, SInt32 fadeOutFrames, SInt32 totalFrames);

// Runs the configuration dialog on theData, previewing source, frame
// shownFrame of a pass of frameCount frames whose frame 0 GetFrameIntoGW
// reaches as firstFrame; returns when the dialog closed, false when OK could
// not store the configuration (the user has been told).
Boolean ConfigurePlugIn(Ptr theData, GWorldPtr source, _PluginParams *params, SInt32 firstFrame, SInt32 shownFrame,
                        SInt32 frameCount);
