#include "callpixelfx.h"

#include "commonprocs.h"
#include "pixeleffect.h"
#include "relrects.h"

void DoPascalPixelEffect(GrafPtr source, GrafPtr dest, PLUGINDATAPTR theConfig, SInt32 currentFrameIndex,
                         SInt32 maxFrames) {
  const Rect theFrame = GetPortRect(dest);
  const Rect theRect = Rel2Rect(theConfig->STARTREL, theFrame);
  PixelDrive(source, dest, theRect, theConfig, currentFrameIndex, maxFrames);
}

void CallPixelEffect(GrafPtr source, GrafPtr dest) {
  const Rect theFrame = GetPortRect(dest);
  Source2Target(source, dest);
  const Rect theRect = Rel2Rect(gConfigWorkSpace.THECONFIG->STARTREL, theFrame);
  PixelDrive(source, dest, theRect, gConfigWorkSpace.THECONFIG, gConfigWorkSpace.CURRFRAMEINDEX,
             gConfigWorkSpace.MAXFRAMEINDEX);
}

void PixelDrive(GrafPtr source, GrafPtr dest, Rect theRect, PLUGINDATAPTR theConfig, SInt32 currentFrame,
                SInt32 numFrames) {
  ThePixelEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
