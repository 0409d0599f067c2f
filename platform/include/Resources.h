/* Resource Manager over resource files kept in ordinary files, in the classic
   resource-fork layout. Open files form a chain: the newest is searched first. */
#ifndef ZV_RESOURCES_H
#define ZV_RESOURCES_H

#include "Folders.h"

ZV_EXTERN_C_BEGIN

enum { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };

void FSpCreateResFile(const FSSpec *spec, OSType creator, OSType fileType, ScriptCode scriptTag);
short FSpOpenResFile(const FSSpec *spec, SInt8 permission);
void UseResFile(short refNum);
short CurResFile(void);
OSErr ResError(void);
void CloseResFile(short refNum);
void UpdateResFile(short refNum);

Handle GetResource(ResType theType, short theID);  /* whole chain from the current file down */
Handle Get1Resource(ResType theType, short theID); /* current file only */
void ReleaseResource(Handle theResource);
void DetachResource(Handle theResource);
void AddResource(Handle theData, ResType theType, short theID, ConstStr255Param name);
void RemoveResource(Handle theResource);
void GetIndString(Str255 theString, short strListID, short index);

ZV_EXTERN_C_END

#endif
