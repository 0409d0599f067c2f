/* Window Manager: windows made from window descriptions (Nib.h) or by the
   toolkit itself (alerts, colour picker). Every window draws into its own
   32-bit port of the window's size, window-local coordinates from (0, 0),
   whether or not a window backend shows it on a screen. */
#ifndef ZV_MACWINDOWS_H
#define ZV_MACWINDOWS_H

#include "QuickDraw.h"

ZV_EXTERN_C_BEGIN

typedef struct OpaqueWindowPtr *WindowRef;
typedef WindowRef WindowPtr;

/* Makes the window visible; its first showing activates its controls. */
void ShowWindow(WindowRef window);
void BringToFront(WindowRef window);
/* Disposes of the window, its controls and its event handlers. A window whose
   modal loop is still running goes when that loop has returned. */
void DisposeWindow(WindowRef window);

/* NULL for a window that does not exist (any more). */
CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);

ZV_EXTERN_C_END

#endif
