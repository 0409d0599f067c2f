#include "prefsloader.h"

#include <MacMemory.h>
#include <Resources.h>

#include <cstring>

namespace {

constexpr ResType kPrefType = ZV_FOURCC('P', 'r', 'e', 'f');
constexpr OSType kPrefCreator = ZV_FOURCC('q', 'm', 'v', 'r');
constexpr short kPrefID = 1;
constexpr const char *kPrefsFileName = "tolvi-Prefs";
constexpr const char *kPrefName = "Config Settings";

void C2PStr(const char *text, Str255 theString) {
  theString[0] = static_cast<unsigned char>(std::strlen(text));
  std::memcpy(theString + 1, text, theString[0]);
}

// Names the preferences file; fnfErr when it does not exist yet.
OSErr MakePrefsSpec(FSSpec *theSpec) {
  short vRefNum = 0;
  long dirID = 0;
  const OSErr err = FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID);
  if (err != noErr) return err;
  Str255 name;
  C2PStr(kPrefsFileName, name);
  return FSMakeFSSpec(vRefNum, dirID, name, theSpec);
}

// Opens the preferences file and makes it current; -1 when it cannot.
short OpenPrefsFile() {
  FSSpec theSpec;
  if (MakePrefsSpec(&theSpec) != noErr) return -1;
  const short refNum = FSpOpenResFile(&theSpec, fsCurPerm);
  if (refNum == -1) return -1;
  UseResFile(refNum);
  if (ResError() != noErr) {
    CloseResFile(refNum);
    return -1;
  }
  return refNum;
}

}  // namespace

Boolean Config2Save(PLUGINDATAPTR theConfig, Handle theSaveConfig) {
  if (!theConfig || !theSaveConfig || !*theSaveConfig) return false;
  if (static_cast<size_t>(GetHandleSize(theSaveConfig)) < kConfigSaveSizeNative) return false;
  EncodeConfigRecord(*theConfig, std::endian::native,
                     std::span<UInt8>(reinterpret_cast<UInt8 *>(*theSaveConfig), kConfigSaveSizeNative));
  return true;
}

Boolean Save2Config(PLUGINDATAPTR theConfig, Handle theSaveConfig) {
  if (!theConfig || !theSaveConfig || !*theSaveConfig) return false;
  const std::span<const UInt8> bytes(reinterpret_cast<const UInt8 *>(*theSaveConfig),
                                     static_cast<size_t>(GetHandleSize(theSaveConfig)));
  return DecodeConfigRecord(bytes, std::endian::native, *theConfig);
}

// The new record is made before the file is touched, and the old one is replaced
// in a single update, which the Resource Manager writes all or nothing: the
// stored configuration is never lost on the way.
Boolean SaveConfig(PLUGINDATAPTR theConfig) {
  if (!theConfig) return false;
  Handle record = NewHandleClear(kConfigSaveSizeNative);
  if (!record) return false;
  if (!Config2Save(theConfig, record)) {
    DisposeHandle(record);
    return false;
  }
  const short refNum = OpenPrefsFile();
  if (refNum == -1) {
    DisposeHandle(record);
    return false;
  }
  Str255 name;
  C2PStr(kPrefName, name);
  Handle old = Get1Resource(kPrefType, kPrefID);
  if (old) {
    RemoveResource(old);
    if (ResError() != noErr) {
      CloseResFile(refNum);
      DisposeHandle(record);
      return false;
    }
  }
  AddResource(record, kPrefType, kPrefID, name);
  if (ResError() != noErr) {
    DisposeHandle(record);
    if (old) AddResource(old, kPrefType, kPrefID, name);  // closing must not store the removal alone
    CloseResFile(refNum);
    return false;
  }
  UpdateResFile(refNum);
  const bool written = ResError() == noErr;
  if (written) {
    if (old) DisposeHandle(old);
    ReleaseResource(record);
  } else {
    // Put the old record back, so that closing cannot store the new one
    // after this save has reported failure.
    RemoveResource(record);
    DisposeHandle(record);
    if (old) AddResource(old, kPrefType, kPrefID, name);
  }
  CloseResFile(refNum);
  return written;
}

Boolean ReadConfig(PLUGINDATAPTR theConfig) {
  if (!theConfig) return false;
  const short refNum = OpenPrefsFile();
  if (refNum == -1) return false;
  Handle record = Get1Resource(kPrefType, kPrefID);
  if (!record) {
    CloseResFile(refNum);
    return false;
  }
  DetachResource(record);
  CloseResFile(refNum);
  const Boolean accepted = Save2Config(theConfig, record);
  DisposeHandle(record);
  return accepted;
}

void CreatePrefsFile() {
  FSSpec theSpec;
  if (MakePrefsSpec(&theSpec) != fnfErr) return;
  FSpCreateResFile(&theSpec, kPrefCreator, kPrefType, smSystemScript);
}
