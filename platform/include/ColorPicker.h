/* Color Picker Manager: a modal picker window with red, green and blue
   sliders, the old and the new colour, OK and Cancel. */
#ifndef ZV_COLORPICKER_H
#define ZV_COLORPICKER_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

typedef void *CMProfileHandle;
typedef struct CMRGBColor {
  UInt16 red;
  UInt16 green;
  UInt16 blue;
} CMRGBColor;
typedef union CMColor {
  CMRGBColor rgb;
} CMColor;
typedef struct PMColor {
  CMProfileHandle profile;
  CMColor color;
} PMColor;

typedef struct PickerMenuItemInfo {
  short editMenuID, cutItem, copyItem, pasteItem, clearItem, undoItem;
} PickerMenuItemInfo;

typedef SInt16 DialogPlacementSpec;
enum { kAtSpecifiedOrigin = 0, kDeepestColorScreen = 1, kCenterOnMainScreen = 2 };
enum {
  kColorPickerDialogIsMoveable = 1,
  kColorPickerDialogIsModal = 2,
  kColorPickerAppIsColorSyncAware = 16,
  kColorPickerInPickerDialog = 128
};

typedef struct NColorPickerInfo {
  PMColor theColor; /* in: the starting colour; out: the chosen one */
  CMProfileHandle dstProfile;
  UInt32 flags;
  DialogPlacementSpec placeWhere;
  Point dialogOrigin;
  OSType pickerType;
  void *eventProc;
  void *colorProc;
  UInt32 colorProcData;
  Str255 prompt;
  PickerMenuItemInfo mInfo;
  Boolean newColorChosen; /* out: true only when the user pressed OK */
} NColorPickerInfo;

/* OK sets theColor and newColorChosen; Cancel, and every run without a window
   backend, leaves theColor alone and newColorChosen false. */
OSErr NPickColor(NColorPickerInfo *theColorInfo);

ZV_EXTERN_C_END

#endif
