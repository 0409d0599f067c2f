#include "prefsloader.h"

#include "commonprocs.h"

#include <MacMemory.h>
#include <Resources.h>

#include <string>

namespace {

constexpr ResType kPrefType = ZV_FOURCC('P', 'r', 'e', 'f');
constexpr short kPrefID = 1;
constexpr const char *kPrefsFileName = "tolvi-Prefs";
constexpr const char *kPrefName = "Config Settings";

OSErr lgLastSaveError = noErr;  // why the last SaveConfig failed
std::string lgLastSavePath;      // the file it tried

// Names the preferences file; fnfErr only when the file does not exist yet.
// A folder that cannot be found is dirNFErr whatever FindFolder said, so the
// caller never takes it for a missing file and uses the unfilled FSSpec.
OSErr MakePrefsSpec(FSSpec *theSpec) {
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) return dirNFErr;
  Str255 name;
  CopyC2PStr(kPrefsFileName, name);
  return FSMakeFSSpec(vRefNum, dirID, name, theSpec);
}

// Opens the preferences file and makes it current; -1 when it cannot, with
// the reason in *err. Opened for writing, a missing file comes into being with
// its first record, so no one ever sees it without one.
short OpenPrefsFile(SInt8 permission, OSErr *err) {
  FSSpec theSpec;
  *err = MakePrefsSpec(&theSpec);
  if (*err == noErr || *err == fnfErr) lgLastSavePath = zv::PathOfFSSpec(theSpec);
  if (*err != noErr && !(*err == fnfErr && permission == fsRdWrPerm)) return -1;
  const short refNum = FSpOpenResFile(&theSpec, permission);
  *err = ResError();
  if (refNum == -1) return -1;
  UseResFile(refNum);
  *err = ResError();
  if (*err != noErr) {
    CloseResFile(refNum);
    return -1;
  }
  return refNum;
}

Boolean SaveFailed(OSErr err) {
  lgLastSaveError = err != noErr ? err : OSErr{ioErr};
  return false;
}

const char *ReasonText(OSErr err) {
  switch (err) {
    case permErr: return "permission denied";
    case vLckdErr: return "read-only file system";
    case notAFileErr: return "not a regular file";
    case fnfErr: return "missing, or a link to nothing";
    case fBsyErr: return "another program is storing settings; try again";
    case dirNFErr: return "no Preferences folder";
    case dskFulErr: return "the disk is full";
    case memFullErr: return "out of memory";
    default: return nullptr;
  }
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

namespace {

// The new record is made before the file is touched, and the old one is replaced
// in a single update, which the Resource Manager writes all or nothing: the
// stored configuration is never lost on the way. With replace false a record
// already stored stays, and is read into theConfig where it can be: the file
// is open for writing, so no other program stores in between.
Boolean StoreConfig(PLUGINDATAPTR theConfig, Boolean replace) {
  lgLastSaveError = noErr;
  lgLastSavePath.clear();
  if (!theConfig) return SaveFailed(paramErr);
  Handle record = NewHandleClear(kConfigSaveSizeNative);
  if (!record) return SaveFailed(memFullErr);
  if (!Config2Save(theConfig, record)) {
    DisposeHandle(record);
    return SaveFailed(paramErr);
  }
  OSErr err = noErr;
  const short refNum = OpenPrefsFile(fsRdWrPerm, &err);
  if (refNum == -1) {
    DisposeHandle(record);
    return SaveFailed(err);
  }
  Str255 name;
  CopyC2PStr(kPrefName, name);
  Handle old = Get1Resource(kPrefType, kPrefID);
  if (old && !replace) {
    (void)Save2Config(theConfig, old);
    ReleaseResource(old);
    CloseResFile(refNum);
    DisposeHandle(record);
    return true;
  }
  if (old) {
    RemoveResource(old);
    if ((err = ResError()) != noErr) {
      CloseResFile(refNum);
      DisposeHandle(record);
      return SaveFailed(err);
    }
  }
  AddResource(record, kPrefType, kPrefID, name);
  if ((err = ResError()) != noErr) {
    DisposeHandle(record);
    if (old) AddResource(old, kPrefType, kPrefID, name);  // closing must not store the removal alone
    CloseResFile(refNum);
    return SaveFailed(err);
  }
  UpdateResFile(refNum);
  err = ResError();
  if (err == noErr) {
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
  return err == noErr ? true : SaveFailed(err);
}

}  // namespace

Boolean SaveConfig(PLUGINDATAPTR theConfig) { return StoreConfig(theConfig, true); }

Boolean SaveConfigIfNone(PLUGINDATAPTR theConfig) { return StoreConfig(theConfig, false); }

Boolean SaveConfigOrTell(PLUGINDATAPTR theConfig) {
  if (SaveConfig(theConfig)) return true;
  std::string why = lgLastSavePath.empty() ? std::string(kPrefsFileName) : lgLastSavePath;
  const char *reason = ReasonText(lgLastSaveError);
  why += ": ";
  why += reason ? reason : "error " + std::to_string(lgLastSaveError);
  Str255 headline, description, okText, none;
  CopyC2PStr("The settings were not stored", headline);
  CopyC2PStr(why, description);
  CopyC2PStr("OK", okText);
  none[0] = 0;
  (void)StandardWarning(headline, description, okText, none);
  return false;
}

PrefsReadResult ReadConfigRecord(PLUGINDATAPTR theConfig) {
  if (!theConfig) return kPrefsNoRecord;
  OSErr err = noErr;
  const short refNum = OpenPrefsFile(fsRdPerm, &err);
  if (refNum == -1) return err == fnfErr || err == dirNFErr ? kPrefsNoRecord : kPrefsRecordUnreadable;
  Handle record = Get1Resource(kPrefType, kPrefID);
  if (!record) {
    CloseResFile(refNum);
    return kPrefsNoRecord;
  }
  DetachResource(record);
  CloseResFile(refNum);
  const Boolean accepted = Save2Config(theConfig, record);
  DisposeHandle(record);
  return accepted ? kPrefsRecordRead : kPrefsRecordUnreadable;
}

Boolean ReadConfig(PLUGINDATAPTR theConfig) { return ReadConfigRecord(theConfig) == kPrefsRecordRead; }
