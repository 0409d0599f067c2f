/* Folder Manager and the little of the File Manager the plug-in uses.
   Folders are known by (volume, directory id); the stand-in keeps a table of
   the directories it has handed out. */
#ifndef ZV_FOLDERS_H
#define ZV_FOLDERS_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

typedef struct FSSpec {
  short vRefNum;
  long parID;
  Str63 name; /* length-prefixed file name */
} FSSpec;
typedef FSSpec *FSSpecPtr;

typedef struct FSRef {
  UInt8 hidden[80]; /* names an entry of the process's table of file paths */
} FSRef;

enum { kOnSystemDisk = -32768 };
enum { kPreferencesFolderType = ZV_FOURCC('p', 'r', 'e', 'f') };
enum { kDontCreateFolder = 0, kCreateFolder = 1 };
enum { smSystemScript = -1 };

/* The Preferences folder is $XDG_CONFIG_HOME, or ~/.config when that is unset.
   It always exists on the original platform, so it is created when missing. */
OSErr FindFolder(short vRefNum, OSType folderType, Boolean createFolder, short *foundVRefNum, long *foundDirID);

/* Fills theSpec even when the file does not exist, and then reports fnfErr. */
OSErr FSMakeFSSpec(short vRefNum, long dirID, ConstStr255Param fileName, FSSpec *theSpec);

ZV_EXTERN_C_END

#ifdef __cplusplus
#include <string>
namespace zv {
/* The file system path an FSSpec names; empty when its folder is unknown. */
std::string PathOfFSSpec(const FSSpec &theSpec);
/* An FSSpec for a path (registers its folder). */
OSErr FSSpecOfPath(const std::string &path, FSSpec *theSpec);
/* An FSRef for a path of any length, and back; empty for a ref not made here. */
void FSRefOfPath(const std::string &path, FSRef *ref);
std::string PathOfFSRef(const FSRef &ref);
}
#endif

#endif
