/* Standard alerts. Every alert is also written as one line to standard error.
   Where no window backend runs, an alert is answered at once with its default
   button, so a batch job never waits for a person. */
#ifndef ZV_DIALOGS_H
#define ZV_DIALOGS_H

#include "CoreFoundation.h"

ZV_EXTERN_C_BEGIN

typedef SInt16 AlertType;
enum { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };
typedef SInt16 DialogItemIndex;
typedef struct OpaqueDialogPtr *DialogRef;
typedef void *ModalFilterUPP;

enum { kStdCFStringAlertVersionOne = 1 };
enum { kAlertStdAlertOKButton = 1, kAlertStdAlertCancelButton = 2, kAlertStdAlertOtherButton = 3 };
enum { kWindowDefaultPosition = 0 };

typedef struct AlertStdCFStringAlertParamRec {
  UInt32 version;
  Boolean movable;
  Boolean helpButton;
  CFStringRef defaultText;
  CFStringRef cancelText;
  CFStringRef otherText;
  SInt16 defaultButton;
  SInt16 cancelButton;
  UInt16 position;
  UInt32 flags;
} AlertStdCFStringAlertParamRec;

/* param NULL: one default button, "OK". */
OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec *param, DialogRef *outAlert);
/* Runs the alert modally, then disposes of it. outItemHit: 1 default, 2 cancel. */
OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP filterProc, DialogItemIndex *outItemHit);

ZV_EXTERN_C_END

#endif
