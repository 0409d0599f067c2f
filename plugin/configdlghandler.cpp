#include "configdlghandler.h"

#include "DataHandling.h"
#include "aboutwindow.h"
#include "carbonmacros.h"
#include "clipCTRL.h"
#include "commonprocs.h"
#include "prefsloader.h"
#include "relrects.h"
#include "sliderHandlers.h"

#include <LaunchServices.h>


// Sections: state · the dialog's life · commands · the manual.

namespace {

// How the last opening of the window ended: 1 OK, 2 Cancel, 0 media type
// changed (reopen); -1 while no closing command came.
WindowRef lgTheWindow = nullptr;
SInt16 lgItemHit = 0;

constexpr OSType kClipSig = ZV_FOURCC('C', 'l', 'i', 'p');
constexpr OSType kColorSig = ZV_FOURCC('C', 'o', 'l', 'r');
constexpr OSType kColorCaptionSig = ZV_FOURCC('C', 'L', 'g', 'd');
constexpr OSType kRectSig = ZV_FOURCC('R', 'e', 'c', 't');
constexpr OSType kMediaSig = ZV_FOURCC('M', 'e', 'd', 'i');
constexpr OSType kMethodSig = ZV_FOURCC('M', 'e', 't', 'h');
constexpr OSType kKeepSig = ZV_FOURCC('K', 'e', 'e', 'p');

// "Adva" and "Revi": move the frame slider one step and show that frame. The
// position is not kept in CURRFRAMEINDEX; only a drag of the slider keeps it.
void StepFrame(SInt32 step) {
  ControlRef slider = gConfigWorkSpace.CLIPSLIDER;
  SInt32 v = GetControl32BitValue(slider);
  if (step > 0 ? v >= gConfigWorkSpace.MAXFRAMEINDEX : v <= 0) return;
  v += step;
  SetControl32BitValue(slider, v);
  AccessRenderAndBlit(v);
  SetFrameCounter(gConfigWorkSpace.THEWINDOW, v);
}

OSStatus OpenManual() {
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(__CFStringMakeConstantString(cMyBundleID));
  if (!bundle) return noErr;
  CFURLRef url = CFBundleCopyResourceURL(bundle, __CFStringMakeConstantString("manual"),
                                         __CFStringMakeConstantString("pdf"), nullptr);
  if (!url) {
    Notify("Cannot locate manual in bundle");
    return noErr;
  }
  OSStatus result = eventNotHandledErr;
  FSRef ref;
  if (CFURLGetFSRef(url, &ref)) {
    result = LSOpenFSRef(&ref, nullptr);
    if (result != noErr) {
      Str255 text, number;
      CopyC2PStr("LSOpen failed with ", text);
      Num2Text(result, number);
      AppendPStr(text, number);
      Notify(text);
    }
  }
  CFRelease(url);
  return result;
}

}  // namespace

const char *DialogWindowName(SInt16 mediaType) {
  switch (mediaType) {
    case kMediaPAL: return "configPAL";
    case kMediaHD: return "configHD";
    default: return "configNTSC";
  }
}

// ---- The dialog's life ----------------------------------------------------

Boolean DoConfig(PLUGINDATAPTR theConfig) {
  Assert(theConfig, "Nil theConfig on DoConfig");
  const PLUGINDATAREC backup = *theConfig;
  const EventTypeSpec command = {kEventClassCommand, kEventCommandProcess};
  do {
    lgTheWindow = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, DialogWindowName(theConfig->MEDIATYPE));
    lgItemHit = -1;
    InstallEventHandler(GetWindowEventTarget(lgTheWindow), NewEventHandlerUPP(TheDialogHandler), 1, &command,
                        lgTheWindow, nullptr);
    SetupDialog(lgTheWindow, theConfig);
    ShowWindow(lgTheWindow);
    SetPort(GetWindowPort(lgTheWindow));
    BringToFront(lgTheWindow);
    RunAppModalLoopForWindow(lgTheWindow);
    DisposeWindow(lgTheWindow);
    lgTheWindow = nullptr;
    gConfigWorkSpace.THEWINDOW = nullptr;
  } while (lgItemHit == 0);  // the media type changed: reopen with its window

  if (lgItemHit == 1) return SaveConfigOrTell(theConfig);
  *theConfig = backup;  // a loop that ended without OK counts as Cancel
  return true;
}

void SetupDialog(WindowRef theWindow, PLUGINDATAPTR theConfig) {
  Assert(theWindow, "Nil Window in SetupDialog");
  Assert(theConfig, "Nil theConfig in SetupDialog");
  gConfigWorkSpace.THEWINDOW = theWindow;
  gConfigWorkSpace.THEFRAMECTRL = SimpleGetControlByID(theWindow, kClipSig, 1);
  Assert(gConfigWorkSpace.THEFRAMECTRL, "Cannot acces Clip 1 CTRL");
  SetupColors(theWindow, theConfig);
  SetupSliders(theWindow);
  SimpleHideControl(theWindow, kRectSig, 1);
  SimpleHideControl(theWindow, kRectSig, 2);
  // A type the pop-up does not offer opens the NTSC window, so it shows NTSC.
  const SInt16 mediaType = theConfig->MEDIATYPE;
  const bool offered = mediaType >= kMediaNTSC && mediaType <= kMediaHD;
  SimpleSetControlValueByID(theWindow, kMediaSig, 1, offered ? mediaType : SInt16{kMediaNTSC});
  // The rectangle is not put through the editor's pixels here: each opening
  // would move its edges a pixel towards the origin. One that is not finite
  // (a damaged record) shows, and is stored, as the whole frame.
  if (!RelIsFinite(theConfig->STARTREL)) InitRelRect(theConfig->STARTREL);
  if (!RelIsFinite(theConfig->ENDREL)) InitRelRect(theConfig->ENDREL);
  Config2Dlg(gConfigWorkSpace.THECONFIG);
  ReRenderAndBlit();
}

void SetupColors(WindowRef theWindow, PLUGINDATAPTR theConfig) {
  for (SInt32 n = 1; n <= 6; ++n) {
    ControlRef box = SimpleGetControlByID(theWindow, kColorSig, n);
    Assert(box, n == 2 ? "Cannot allocate color2 in SetupDialog" : "Cannot allocate color1 in SetupDialog");
    SetControl32BitMinimum(box, 0);
    SetControl32BitMaximum(box, 0xFFFFFF);
    SetControl32BitValue(box, RGBColor2LongInt(theConfig->COLORS[n - 1]));
    HideControl(box);
    SimpleHideControl(theWindow, kColorCaptionSig, n);
    gConfigWorkSpace.COLORS[n - 1] = box;
  }
}

void Config2Dlg(PLUGINDATAPTR theConfig) {
  for (int n = 0; n < 6; ++n) SetControl32BitValue(gConfigWorkSpace.COLORS[n], RGBColor2LongInt(theConfig->COLORS[n]));
  for (int n = 0; n < 6; ++n) {
    SetControl32BitValue(gConfigWorkSpace.SLIDERS[n], theConfig->SLIDERS[n]);
    SetSliderLegend(lgTheWindow, n + 1, theConfig->SLIDERS[n]);
  }
  // A stored or reset configuration, or a window of another type, must not
  // show keep-proportions off while the drags keep them.
  SimpleSetControlValueByID(lgTheWindow, kKeepSig, 1, theConfig->KEEPPROPS ? 1 : 0);
  SimpleSetControlValueByID(lgTheWindow, kMethodSig, 1, theConfig->METHOD);
  ReRenderAndBlit();
}

// ---- Commands -------------------------------------------------------------

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void *userData) {
  OSStatus result = eventNotHandledErr;
  Str255 name;
  GetEventCommandStr(theEvent, name);
  WindowRef window = static_cast<WindowRef>(userData);
  PLUGINDATAPTR config = gConfigWorkSpace.THECONFIG;
  lgItemHit = -1;

  if (IsCommand(name, "ok  ")) {
    lgItemHit = 1;
    QuitAppModalLoopForWindow(window);
    result = noErr;
  } else if (IsCommand(name, "not!")) {
    lgItemHit = 2;
    QuitAppModalLoopForWindow(window);
    result = noErr;
  } else if (IsCommand(name, "Info")) {
    ShowAbout();
    result = noErr;
  } else if (name[1] == 'C' && name[2] == 'o' && name[3] == 'l' && name[4] >= '1' && name[4] <= '6') {
    const SInt32 n = name[4] - '0';
    const SInt32 value = SimpleGetControlValueByID(gConfigWorkSpace.THEWINDOW, kColorSig, n);
    config->COLORS[n - 1] = LongInt2RGBColor(value);
    ReRenderAndBlit();
    result = noErr;
  } else if (IsCommand(name, "Adva")) {
    StepFrame(+1);
    result = noErr;
  } else if (IsCommand(name, "Revi")) {
    StepFrame(-1);
    result = noErr;
  } else if (IsCommand(name, "Rset")) {
    const SInt16 mediaType = config->MEDIATYPE;
    ResetConfig(config, false);
    config->MEDIATYPE = mediaType;
    Config2Dlg(config);
    ReRenderAndBlit();
    // left unhandled on purpose: the toolbox goes on with the command
  } else if (IsCommand(name, "Medi")) {
    const SInt16 mediaType = config->MEDIATYPE;
    config->MEDIATYPE = static_cast<SInt16>(SimpleGetControlValueByID(window, kMediaSig, 1));
    if (config->MEDIATYPE != mediaType) {
      lgItemHit = 0;
      QuitAppModalLoopForWindow(window);
    }
    result = noErr;
  } else if (IsCommand(name, "Sall")) {
    RELRECT whole;
    InitRelRect(whole);
    PutCurrentRel(whole);
    ReRenderAndBlit();
    result = noErr;
  } else if (IsCommand(name, "Help")) {
    result = OpenManual();
  } else if (IsCommand(name, "Keep")) {
    config->KEEPPROPS = SimpleGetControlValueByID(window, kKeepSig, 1) == 1;
    CalcAndKeepImageProps();
    ReRenderAndBlit();
    result = noErr;
  } else if (IsCommand(name, "Meth")) {
    config->METHOD = static_cast<SInt16>(SimpleGetControlValueByID(window, kMethodSig, 1));
    ReRenderAndBlit();
    result = noErr;
  }
  return result;
}
