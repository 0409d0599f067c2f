#include "PascalPixelLib.h"

void GetPixInfoFromGWorld(GrafPtr theGW, Ptr &pixBaseAddress, SInt32 &pixRowBytes, Rect &theFrame,
                          GWorldFlags &pixFlags) {
  PixMapHandle pm = GetGWorldPixMap(theGW);
  pixFlags = GetPixelsState(pm);
  (void)LockPixels(pm);
  pixBaseAddress = GetPixBaseAddr(pm);
  pixRowBytes = static_cast<SInt32>(GetPixRowBytes(pm));
  GetPortBounds(theGW, &theFrame);
}
