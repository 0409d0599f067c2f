#include "pascalFX.h"

#include "DataHandling.h"
#include "PluginDefines.h"
#include "callpixelfx.h"
#include "clipCTRL.h"
#include "colorCTRL.h"
#include "configdlghandler.h"
#include "pictCTRL.h"
#include "commonprocs.h"
#include "prefsloader.h"

#include <MacMemory.h>
#include <algorithm>
#include <cstring>

namespace {
PLUGINDATAPTR AsConfig(Ptr theData) { return reinterpret_cast<PLUGINDATAPTR>(theData); }
}  // namespace

void InitPascal() {}

void pGetConfigSize(UInt32 *theSize) { *theSize = sizeof(PLUGINDATAREC); }

void InitMyPlugIn(Ptr *theData) {
  Assert(theData ? *theData : nullptr, "Unable to allocate new data structure");
  // No empty preferences file is put down first: the file appears with its
  // first record, so readers never find it without one.
  InitPluginData(*theData);
}

void InitPluginData(Ptr theData) {
  Assert(theData, "Nil theConfig on InitPluginData");
  PLUGINDATAPTR theConfig = AsConfig(theData);
  ResetConfig(theConfig, true);
  // A record this build cannot read (another byte order or version, a damaged
  // file) may be someone's settings: it stays until the user stores new ones.
  // A record that reads is not written back either: a start-up running while
  // the dialog stores would put the old settings back over the new.
  if (ReadConfigRecord(theConfig) == kPrefsNoRecord) (void)SaveConfigIfNone(theConfig);
}

void pNewConfig(Ptr *theData) {
  *theData = NewPtrClear(sizeof(PLUGINDATAREC));
  Assert(*theData, "Unable to allocate new data structure in pNewConfig");
}

void pCopyConfig(Ptr theSource, Ptr theDest) {
  if (!theSource || !theDest) return;
  if (GetPtrSize(theSource) != GetPtrSize(theDest))
    Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
  std::memcpy(theDest, theSource, sizeof(PLUGINDATAREC));
  PLUGINDATAPTR from = AsConfig(theSource), to = AsConfig(theDest);
  // The pass owns its own copy of the rendered picture and never the original.
  to->THERENDERED = from->THERENDERED ? CGImageCreateCopy(from->THERENDERED) : nullptr;
  to->THEORIGINALIMAGE = nullptr;
}

void pUncopyConfig(Ptr theData) {
  Assert(theData, "Nil data in pUncopyConfig");
  PLUGINDATAPTR theConfig = AsConfig(theData);
  if (theConfig->THERENDERED) {
    CGImageRelease(theConfig->THERENDERED);
    theConfig->THERENDERED = nullptr;
  }
}

void pDestroyConfig(Ptr theData) {
  if (theData) DisposePtr(theData);
}

SInt16 GetMediaFormat(Ptr theData) { return theData ? AsConfig(theData)->MEDIATYPE : SInt16(kMediaNTSC); }

void DoEffect(Ptr theData, _PluginParams *, GWorldPtr source, GWorldPtr target, SInt32 currentFrame, SInt32,
              SInt32, SInt32 totalFrames) {
  Assert(theData, "uninited theData in Plugin Effect master proc. need to call init before calling me");
  CGrafPtr savePort;
  GDHandle saveDevice;
  GetGWorld(&savePort, &saveDevice);
  DoPascalPixelEffect(source, target, AsConfig(theData), currentFrame, totalFrames);
  SetGWorld(savePort, saveDevice);
}

Boolean ConfigurePlugIn(Ptr theData, GWorldPtr source, _PluginParams *params, SInt32 firstFrame, SInt32 shownFrame,
                        SInt32 frameCount) {
  PLUGINDATAPTR theConfig = AsConfig(theData);
  gTheConfig = theConfig;
  gConfigWorkSpace.THECONFIG = theConfig;
  gConfigWorkSpace.SOURCECLIP = source;
  gConfigWorkSpace.IMOVIEPARAMS = params;
  gConfigWorkSpace.MINFRAMEINDEX = firstFrame;
  gConfigWorkSpace.MAXFRAMEINDEX = (frameCount > 1 ? frameCount : 1) - 1;
  // The slider opens on the frame shown, as far as the pass reaches.
  gConfigWorkSpace.CURRFRAMEINDEX = std::clamp<SInt32>(shownFrame, 0, gConfigWorkSpace.MAXFRAMEINDEX);
  gConfigWorkSpace.ACTIVEREL = 1;

  gConfigWorkSpace.THEFXCLIP = AllocateRectGWorld(GetPortRect(source));
  Assert(gConfigWorkSpace.THEFXCLIP, "Unable to allocate theProcessed in ConffigurePlug Init run");
  Assert(theData, "uninited theData in Configure master proc. need to call init before calling me");
  CallPixelEffect(source, gConfigWorkSpace.THEFXCLIP);

  RegisterColorBox();
  RegisterClipCtrl();
  RegisterPictureControl();
  const Boolean stored = DoConfig(gTheConfig);
  UnregisterClipCtrl();
  UnregisterColorBox();
  UnregisterPictureControl();

  DisposeGWorld(gConfigWorkSpace.THEFXCLIP);
  gConfigWorkSpace.THEFXCLIP = nullptr;
  return stored;
}
