/* QuickDraw: ports, offscreen images and drawing.
   Every port here is 32 bits per pixel, bytes in memory order alpha, red, green,
   blue on every processor, rows rowBytes apart (16-byte aligned, possibly more
   than four times the width). A pixel buffer never moves while its port exists.
   Offscreen images and window ports are the same kind of port. The one
   exception is an image made over a caller's buffer in red, green, blue, alpha
   order (NewGWorldFromPtr, k32RGBAPixelFormat): only pixel loops that ask
   GetPixPixelFormat may touch it; CopyBits and drawing take every port as
   alpha, red, green, blue.

   Threads: images may be made, disposed of and locked on any thread, and the
   current port saved and restored around work on one; drawing into the
   current port belongs to one thread at a time.

   Where we differ from the classic toolbox, on purpose:
   - Clipping is a rectangle, not a region: ClipRect sets it, and every drawing
     call and CopyBits into a port are limited to it and to the port's bounds.
     A new port's clip rectangle is its bounds.
   - The pen is one pixel, and every pen mode paints the foreground colour, as
     patCopy does. There are no patterns.
   - Drawn pixels get alpha 0xFF; InvertRect keeps the alpha it finds.
   - Colours keep the high byte of each 16-bit component.
   - CopyBits ignores the mode (always srcCopy) and the mask region, and does
     not colourise through the port's colours.
   - Lock state is a flag only: pixels never move or get purged, so the base
     address is valid whether locked or not. New images start unlocked.
   - Disposing of the current port leaves no current port, and a disposed port
     is never made current again (SetPort, SetGWorld); disposing twice does
     nothing. Drawing and colour calls without a current port do nothing. */
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

/* Pixel formats: alpha, red, green, blue in memory order, and red, green,
   blue, alpha. */
enum {
  k32ARGBPixelFormat = 0x00000020,
  k32RGBAPixelFormat = ZV_FOURCC('R', 'G', 'B', 'A')
};
typedef short QDErr;

enum {
  pixPurgeBit = 0,
  noNewDeviceBit = 1,
  pixelsPurgeable = 1 << 6,
  pixelsLocked = 1 << 7
};

/* Transfer modes. */
enum {
  srcCopy = 0,
  srcOr = 1,
  srcXor = 2,
  srcBic = 3,
  notSrcCopy = 4,
  notSrcOr = 5,
  notSrcXor = 6,
  notSrcBic = 7,
  patCopy = 8,
  patOr = 9,
  patXor = 10,
  patBic = 11,
  notPatCopy = 12,
  notPatOr = 13,
  notPatXor = 14,
  notPatBic = 15
};

/* Offscreen images. Depth must be 32 (0 means 32), else paramErr. Bounds are
   kept as given and may lie anywhere; an empty one is paramErr. The pixels start
   all zero and unlocked. cTable, aGDevice and flags are ignored. On failure
   *offscreenGWorld is NULL and the result is paramErr or memFullErr. */
QDErr NewGWorld(GWorldPtr *offscreenGWorld, short pixelDepth, const Rect *boundsRect, CTabHandle cTable,
                GDHandle aGDevice, GWorldFlags flags);
/* An image over a buffer the caller owns and keeps alive until the image is
   disposed of (which leaves the buffer alone). rowBytes is at least four times
   the width; pixelFormat k32ARGBPixelFormat or k32RGBAPixelFormat, else
   paramErr. */
QDErr NewGWorldFromPtr(GWorldPtr *offscreenGWorld, OSType pixelFormat, const Rect *boundsRect, CTabHandle cTable,
                       GDHandle aGDevice, GWorldFlags flags, Ptr newBuffer, long rowBytes);
void DisposeGWorld(GWorldPtr offscreenGWorld);
PixMapHandle GetGWorldPixMap(GWorldPtr offscreenGWorld);
Boolean LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
GWorldFlags GetPixelsState(PixMapHandle pm);
void SetPixelsState(PixMapHandle pm, GWorldFlags state);
Ptr GetPixBaseAddr(PixMapHandle pm);
long GetPixRowBytes(PixMapHandle pm);
void GetPixBounds(PixMapHandle pm, Rect *bounds);
/* The memory order of a map's pixels; 0 for no map. */
OSType GetPixPixelFormat(PixMapHandle pm);

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

/* Copies srcRect of src into dstRect of dst, scaling when the sizes differ.
   srcCopy only. Rectangles are in each bitmap's own bounds coordinates and are
   clipped to them, and to the destination port's clip rectangle; clipping keeps
   the mapping between the rectangles as given. The scaling filter is area
   averaging: every destination pixel is the mean of the source area it covers,
   all four channels, rounded to nearest. Coverage is computed exactly in
   integers (each axis in units of 1/dstSize of a source pixel), so a pixel
   covering a source area of one colour gets exactly that colour. Source and
   destination may be the same image with overlapping rectangles. */
void CopyBits(const BitMap *srcBits, const BitMap *dstBits, const Rect *srcRect, const Rect *dstRect, short mode,
              RgnHandle maskRgn);

/* Rectangles: right and bottom edges are outside. */
void SetRect(Rect *r, short left, short top, short right, short bottom);
void OffsetRect(Rect *r, short dh, short dv);
/* A rectangle inset to nothing becomes (0, 0, 0, 0). */
void InsetRect(Rect *r, short dh, short dv);
Boolean PtInRect(Point pt, const Rect *r);
void Pt2Rect(Point pt1, Point pt2, Rect *dstRect);
Boolean EqualRect(const Rect *rect1, const Rect *rect2);

/* Drawing into the current port, in its bounds coordinates. The pen hangs below
   and to the right of its position, so a framed shape stays inside its
   rectangle. */
void ClipRect(const Rect *r);
void PenNormal(void);
void PenMode(short mode);
void FrameRect(const Rect *r);
void PaintRect(const Rect *r);
void EraseRect(const Rect *r);
void InvertRect(const Rect *r);
/* The outline of the ellipse inscribed in r: symmetric, touching all four sides,
   connected (8-neighbour), one pixel thick. */
void FrameOval(const Rect *r);

ZV_EXTERN_C_END

#endif
