#include "commonprocs.h"

#include <Dialogs.h>
#include <Nib.h>
#include <Processes.h>
#include <TextUtils.h>

#include <algorithm>
#include <cstring>

// ---- Colours --------------------------------------------------------------

RGBColor SetRGBColor(SInt16 r, SInt16 g, SInt16 b) {
  return RGBColor{static_cast<unsigned short>(r), static_cast<unsigned short>(g), static_cast<unsigned short>(b)};
}

PIXREC LongInt2PixRec(SInt32 theLong) {
  const UInt32 v = static_cast<UInt32>(theLong);
  return PIXREC{0, static_cast<UInt8>(v >> 16), static_cast<UInt8>(v >> 8), static_cast<UInt8>(v)};
}

SInt32 PixRec2LongInt(PIXREC thePixRec) { return thePixRec.RED * 65536 + thePixRec.GREEN * 256 + thePixRec.BLUE; }

SInt32 RGBColor2LongInt(RGBColor theColor) {
  PIXREC p{0, static_cast<UInt8>(theColor.red >> 8), static_cast<UInt8>(theColor.green >> 8),
           static_cast<UInt8>(theColor.blue >> 8)};
  return PixRec2LongInt(p);
}

RGBColor LongInt2RGBColor(SInt32 theLong) {
  const PIXREC p = LongInt2PixRec(theLong);
  return SetRGBColor(static_cast<SInt16>(p.RED * 256), static_cast<SInt16>(p.GREEN * 256),
                     static_cast<SInt16>(p.BLUE * 256));
}

// ---- Strings --------------------------------------------------------------

void CopyC2PStr(std::string_view text, Str255 theString) {
  const size_t n = std::min<size_t>(text.size(), 255);
  std::memcpy(theString + 1, text.data(), n);
  theString[0] = static_cast<unsigned char>(n);
}

void AppendPStr(Str255 theString, ConstStr255Param tail) {
  const size_t have = theString[0];
  const size_t n = std::min<size_t>(tail[0], 255 - have);
  std::memcpy(theString + 1 + have, tail + 1, n);
  theString[0] = static_cast<unsigned char>(have + n);
}

void AppendCStr(Str255 theString, std::string_view tail) {
  Str255 t;
  CopyC2PStr(tail, t);
  AppendPStr(theString, t);
}

void Num2Text(SInt32 theNum, Str255 theText) { NumToString(theNum, theText); }

CFStringRef MakeCFString(ConstStr255Param theString) {
  return CFStringCreateWithPascalString(kCFAllocatorDefault, theString, kCFStringEncodingMacRoman);
}

// ---- Alerts ---------------------------------------------------------------

SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText) {
  CFStringRef head = MakeCFString(headline);
  CFStringRef text = MakeCFString(description);
  CFStringRef ok = MakeCFString(okText);
  CFStringRef cancel = cancelText[0] == 0 ? nullptr : MakeCFString(cancelText);

  AlertStdCFStringAlertParamRec param = {};
  param.version = kStdCFStringAlertVersionOne;
  param.movable = true;
  param.helpButton = false;
  param.defaultText = ok;
  param.cancelText = cancel;
  param.otherText = nullptr;
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  param.position = kWindowDefaultPosition;
  param.flags = 0;

  DialogRef alert = nullptr;
  DialogItemIndex itemHit = kAlertStdAlertOKButton;
  if (CreateStandardAlert(kAlertCautionAlert, head, text, &param, &alert) == noErr)
    RunStandardAlert(alert, nullptr, &itemHit);
  for (CFStringRef s : {head, text, ok, cancel})
    if (s) CFRelease(s);
  return itemHit;
}

void Notify(ConstStr255Param theMessage) {
  Str255 head, ok, none;
  CopyC2PStr("Internal Notification:", head);
  CopyC2PStr("ok", ok);
  none[0] = 0;
  StandardWarning(head, theMessage, ok, none);
}

void Terminate(ConstStr255Param headline, ConstStr255Param description) {
  CFStringRef head = MakeCFString(headline);
  CFStringRef text = MakeCFString(description);
  DialogRef alert = nullptr;
  DialogItemIndex itemHit = 0;
  if (CreateStandardAlert(kAlertStopAlert, head, text, nullptr, &alert) == noErr)
    RunStandardAlert(alert, nullptr, &itemHit);
  ExitToShell();
}

void Assert(const void *thePtr, ConstStr255Param failLocation) {
  if (thePtr) return;
  Str255 head, text;
  CopyC2PStr("Assertion Failure", head);
  CopyC2PStr("Assertion failed in: ", text);
  AppendPStr(text, failLocation);
  Terminate(head, text);
}

void Notify(std::string_view theMessage) {
  Str255 m;
  CopyC2PStr(theMessage, m);
  Notify(m);
}

void Terminate(std::string_view headline, std::string_view description) {
  Str255 h, d;
  CopyC2PStr(headline, h);
  CopyC2PStr(description, d);
  Terminate(h, d);
}

void Assert(const void *thePtr, std::string_view failLocation) {
  if (thePtr) return;
  Str255 where;
  CopyC2PStr(failLocation, where);
  Assert(thePtr, where);
}

// ---- Windows --------------------------------------------------------------

namespace {

// "OpenNibWindow Failed" naming what could not be made and the error code.
[[noreturn]] void NibFailed(std::string_view what, const char *theIdentifier, const char *nibName,
                            const char *windowName, OSStatus err) {
  Str255 text, number;
  CopyC2PStr(what, text);
  AppendCStr(text, "\"");
  AppendCStr(text, theIdentifier);
  AppendCStr(text, "/");
  AppendCStr(text, nibName);
  if (windowName) {
    AppendCStr(text, "/");
    AppendCStr(text, windowName);
  }
  AppendCStr(text, "\" as it returned errcode #");
  Num2Text(err, number);
  AppendPStr(text, number);
  AppendCStr(text, ".");
  Terminate("OpenNibWindow Failed", std::string_view(reinterpret_cast<const char *>(text + 1), text[0]));
}

}  // namespace

WindowRef OpenNibWindowFromCFBundle(const char *theIdentifier, const char *theNib, const char *theWindow) {
  CFStringRef identifier = __CFStringMakeConstantString(theIdentifier);
  Str255 where;
  CopyC2PStr("Cannot allocate CFSTR for ", where);
  AppendCStr(where, theIdentifier);
  Assert(identifier, where);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
  CopyC2PStr("Cannot allocate bundle for ID = ", where);
  AppendCStr(where, theIdentifier);
  Assert(bundle, where);
  CFRetain(bundle);

  const char *nibName = theNib && theNib[0] ? theNib : cMyPluginName;
  CFStringRef nibString = CFStringCreateWithCString(kCFAllocatorDefault, nibName, kCFStringEncodingUTF8);
  IBNibRef nib = nullptr;
  OSStatus err = CreateNibReferenceWithCFBundle(bundle, nibString, &nib);
  CFRelease(nibString);
  if (err != noErr) NibFailed("Unable to CreateNibReferenceWithCFBundle for ", theIdentifier, nibName, nullptr, err);

  CFStringRef windowString = CFStringCreateWithCString(kCFAllocatorDefault, theWindow, kCFStringEncodingUTF8);
  WindowRef window = nullptr;
  err = CreateWindowFromNib(nib, windowString, &window);
  CFRelease(windowString);
  // Ending without a word would leave the user guessing: say what failed.
  if (err != noErr) NibFailed("Unable to CreateWindowFromNib for ", theIdentifier, nibName, theWindow, err);

  DisposeNibReference(nib);
  CFRelease(bundle);
  return window;
}

// ---- Offscreen images -----------------------------------------------------

GWorldPtr AllocateRectGWorld(Rect theRect) {
  Rect bounds = theRect;
  bounds.right -= bounds.left;
  bounds.bottom -= bounds.top;
  bounds.left = 0;
  bounds.top = 0;
  GWorldPtr theGW = nullptr;
  if (NewGWorld(&theGW, 32, &bounds, nullptr, nullptr, 0) != noErr) return nullptr;
  LockGWorld(theGW);
  return theGW;
}

void LockGWorld(GWorldPtr theGW) {
  if (!theGW) return;
  PixMapHandle pm = GetGWorldPixMap(theGW);
  (void)GetPixelsState(pm);
  (void)LockPixels(pm);
}

Rect GetPortRect(GrafPtr thePort) {
  Rect r;
  GetPortBounds(thePort, &r);
  return r;
}

Rect CarbonGetPortBounds(GrafPtr thePort) { return GetPortRect(thePort); }

void Source2Target(GrafPtr theSource, GrafPtr theTarget) {
  if (!theSource || !theTarget) return;
  const RGBColor white = SetRGBColor(-1, -1, -1), black = SetRGBColor(0, 0, 0);
  RGBBackColor(&white);
  RGBForeColor(&black);
  const Rect from = GetPortRect(theSource);
  const Rect to = GetPortRect(theTarget);
  CopyBits(GetPortBitMapForCopyBits(theSource), GetPortBitMapForCopyBits(theTarget), &from, &to, srcCopy, nullptr);
}
