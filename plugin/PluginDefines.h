// The configuration record, the dialog workspace, the product constants and the
// globals the units share.
#pragma once

#include <MacTypes.h>
#include <QuickDraw.h>
#include <CoreFoundation.h>
#include <ZorvaneVersion.h>

#include <bit>

typedef struct OpaqueControlRef *ControlRef;
typedef struct OpaqueWindowPtr *WindowRef;

// A rectangle relative to the frame: 0.0 is the left or top edge, 1.0 the right
// or bottom edge. Horizontal pair first, unlike a Rect.
struct RELRECT {
  double LEFT;
  double RIGHT;
  double TOP;
  double BOTTOM;
};

// Array fields are numbered from 1 in the dialog and the stored record; here
// element 0 is number 1.
struct PLUGINDATAREC {
  RELRECT STARTREL;            // where the effect works
  RELRECT ENDREL;              // kept and saved; nothing reads it
  SInt16 SLIDERS[6];           // 1..3: red, green and blue floors in percent
  RGBColor COLORS[6];          // kept for the hidden colour boxes
  RGBColor FRAMESTARTCOLOR;    // outline of the start rectangle in the frame editor
  RGBColor FRAMEENDCOLOR;      // kept and saved
  SInt16 MEDIATYPE;            // 1 NTSC, 2 PAL, 3 HD; anything else counts as NTSC
  SInt16 METHOD;               // the method pop-up's value
  CGImageRef THEORIGINALIMAGE; // may be empty
  CGImageRef THERENDERED;      // may be empty
  Boolean KEEPPROPS;           // hold the start rectangle at the frame's proportions
};
typedef PLUGINDATAREC *PLUGINDATAPTR;

// One pixel, in memory order on every processor.
struct PIXREC {
  UInt8 ALPHA;
  UInt8 RED;
  UInt8 GREEN;
  UInt8 BLUE;
};

struct _PluginParams;

// The state of the open configuration dialog.
struct PLUGINWORKSPACE {
  PLUGINDATAPTR THECONFIG;
  _PluginParams *IMOVIEPARAMS;
  GWorldPtr SOURCECLIP;
  GWorldPtr THEFXCLIP;
  SInt32 CURRFRAMEINDEX;  // the frame slider's position: a frame of the pass, 0..MAXFRAMEINDEX
  SInt32 MINFRAMEINDEX;   // added to a position before GetFrameIntoGW adds the request's start
  SInt32 MAXFRAMEINDEX;
  SInt16 ACTIVEREL;
  ControlRef THEFRAMECTRL;
  ControlRef SLIDERS[6];
  ControlRef CLIPSLIDER;
  ControlRef COLORS[6];
  WindowRef THEWINDOW;
};

enum { kMediaNTSC = 1, kMediaPAL = 2, kMediaHD = 3 };

inline constexpr const char *cMyPluginName = "zorvane";
inline constexpr const char *cMyClearName = "Zorvane";
inline constexpr const char *cMyBundleID = "com.dravik.kelvora.zorvane";
inline constexpr const char *cPlugVersion =
    std::endian::native == std::endian::little ? ZORVANE_VERSION " (i386 Universal)" : ZORVANE_VERSION " (PPC Universal)";

inline constexpr int cUsesSlider[6] = {1, 1, 1, 0, 0, 0};
inline constexpr int cUsesColor[6] = {0, 0, 0, 0, 0, 0};
inline constexpr int cUsedNumberOfRects = 1;
inline constexpr int cHandleSize = 6;
inline constexpr SInt16 cUseDisposeGWInSlider = 1;

extern PLUGINDATAPTR gTheConfig;
extern PLUGINWORKSPACE gConfigWorkSpace;
