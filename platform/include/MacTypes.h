/* Basic toolbox types shared by every platform service, the plug-in and the host.
   C-compatible: the plug-in's entry file and the host interface header are C. */
#ifndef ZV_MACTYPES_H
#define ZV_MACTYPES_H

#include <stdint.h>

#ifdef __cplusplus
#define ZV_EXTERN_C_BEGIN extern "C" {
#define ZV_EXTERN_C_END }
#else
#define ZV_EXTERN_C_BEGIN
#define ZV_EXTERN_C_END
#endif

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef int64_t SInt64;
typedef uint64_t UInt64;

typedef unsigned char Boolean;

typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef uint32_t ResType;
typedef uint32_t FourCharCode;
typedef int16_t ScriptCode;
typedef long Size;

typedef char *Ptr;
typedef Ptr *Handle;
typedef void *LogicalAddress;

typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char *StringPtr;
typedef const unsigned char *ConstStringPtr;
typedef const unsigned char *ConstStr255Param;

/* QuickDraw rectangle: right and bottom edges exclusive. */
typedef struct Rect {
  short top;
  short left;
  short bottom;
  short right;
} Rect;

typedef struct Point {
  short v;
  short h;
} Point;

typedef struct RGBColor {
  unsigned short red;
  unsigned short green;
  unsigned short blue;
} RGBColor;

/* Four-character codes are packed most significant byte first: 'Pref'. */
#define ZV_FOURCC(a, b, c, d) \
  ((uint32_t)(uint8_t)(a) << 24 | (uint32_t)(uint8_t)(b) << 16 | (uint32_t)(uint8_t)(c) << 8 | (uint32_t)(uint8_t)(d))

enum {
  noErr = 0,
  paramErr = -50,
  memFullErr = -108,
  nilHandleErr = -109,
  memWZErr = -111,
  fnfErr = -43,
  vLckdErr = -46, /* a read-only file system */
  fBsyErr = -47,  /* another writer holds the file */
  dupFNErr = -48,
  ioErr = -36,
  eofErr = -39,
  dskFulErr = -34,
  bdNamErr = -37,
  dirNFErr = -120,
  permErr = -54,
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  rmvResFailed = -196,
  resAttrErr = -198,
  mapReadErr = -199,
  notAFileErr = -1302, /* a folder, FIFO, socket or device where a file belongs */
  fsDataTooBigErr = -1310, /* a file larger than its reader takes */
  eventNotHandledErr = -9874
};

#endif
