/* QuickDraw: ports, offscreen images and drawing.
   Every port here is 32 bits per pixel, bytes in memory order alpha, red, green,
   blue on every processor, rows rowBytes apart (16-byte aligned, possibly more
   than four times the width). A pixel buffer never moves while its port exists. */
#ifndef ZV_QUICKDRAW_H
#define ZV_QUICKDRAW_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

typedef struct OpaqueGrafPtr *GrafPtr;
typedef GrafPtr CGrafPtr;
typedef CGrafPtr GWorldPtr;
typedef struct OpaqueGDHandle *GDHandle;
typedef struct OpaqueCTabHandle *CTabHandle;
typedef struct OpaqueRgnHandle *RgnHandle;

/* A pixel map is reached through accessors only. */
typedef struct PixMap PixMap;
typedef PixMap *PixMapPtr;
typedef PixMapPtr *PixMapHandle;
typedef struct BitMap BitMap;

typedef UInt32 GWorldFlags;
typedef short QDErr;

enum {
  pixPurgeBit = 0,
  noNewDeviceBit = 1,
  pixelsPurgeable = 1 << 6,
  pixelsLocked = 1 << 7
};

/* Transfer modes. */
enum { srcCopy = 0, srcOr = 1, srcXor = 2, srcBic = 3, notSrcCopy = 4, patCopy = 8, patOr = 9, patXor = 10 };

/* Offscreen images. Depth must be 32 (0 means 32). Bounds are kept as given. */
QDErr NewGWorld(GWorldPtr *offscreenGWorld, short pixelDepth, const Rect *boundsRect, CTabHandle cTable,
                GDHandle aGDevice, GWorldFlags flags);
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Ptr GetPixBaseAddr(PixMapHandle pm);
long GetPixRowBytes(PixMapHandle pm);
void GetPixBounds(PixMapHandle pm, Rect *bounds);

/* Ports. The current port and device are process-wide. */
Rect *GetPortBounds(CGrafPtr port, Rect *rect);
const BitMap *GetPortBitMapForCopyBits(CGrafPtr port);
void GetGWorld(CGrafPtr *port, GDHandle *gdh);
void SetGWorld(CGrafPtr port, GDHandle gdh);
void GetPort(GrafPtr *port);
void SetPort(GrafPtr port);
PixMapHandle GetPortPixMap(CGrafPtr port);
GDHandle GetGDevice(void);

void RGBForeColor(const RGBColor *color);
void RGBBackColor(const RGBColor *color);
void GetForeColor(RGBColor *color);
void GetBackColor(RGBColor *color);

/* Copies srcRect of src into dstRect of dst, scaling when the sizes differ.
   srcCopy only. Rectangles are in each bitmap's own bounds coordinates and are
   clipped to them. The scaling filter is area averaging: every destination pixel
   is the mean of the source area it covers, each channel rounded to nearest. */
void CopyBits(const BitMap *srcBits, const BitMap *dstBits, const Rect *srcRect, const Rect *dstRect, short mode,
              RgnHandle maskRgn);

ZV_EXTERN_C_END

#endif
