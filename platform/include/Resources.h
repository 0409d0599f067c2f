/* Resource Manager over resource files kept in ordinary files, in the classic
   resource-fork layout. Open files form a chain: the newest is searched first.
   A file is read whole when opened and written whole when updated or closed
   with changes: a new file beside the old, flushed and renamed over it, so a
   failure at any point leaves the old file or the new one, never a mix; a
   failed write is reported by ResError and the changes stay pending (except
   at CloseResFile, which closes the file all the same).
   A file whose bytes are not a sound resource file (damaged, cut short, empty,
   over 1 MiB) is damaged: opened read-only, or where it cannot be written, it
   fails with mapReadErr; opened for writing, it opens with no resources, so
   that the next update replaces it. Only regular files are opened (FIFOs and
   devices fail with notAFileErr, without waiting). Opening for writing where
   the file or its folder cannot be written fails with permErr, or vLckdErr on
   a read-only file system.
   AddResource refuses (addResFailed) a type and id the current file already
   holds, and a file opened read-only; a file past the layout's limits is not
   written (addResFailed). Creator, file type and script are not kept. */
#ifndef ZV_RESOURCES_H
#define ZV_RESOURCES_H

#include "Folders.h"

ZV_EXTERN_C_BEGIN

enum { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };

void FSpCreateResFile(const FSSpec *theSpec, OSType creator, OSType fileType, ScriptCode scriptTag);
short FSpOpenResFile(const FSSpec *theSpec, SInt8 permission);
void UseResFile(short refNum);
short CurResFile(void);
OSErr ResError(void);
void CloseResFile(short refNum);
void UpdateResFile(short refNum);

Handle Get1Resource(ResType theType, short theID); /* current file only */
void ReleaseResource(Handle theResource);
void DetachResource(Handle theResource);
void AddResource(Handle theData, ResType theType, short theID, ConstStr255Param name);
void RemoveResource(Handle theResource);
void GetIndString(Str255 theString, short strListID, short index);

ZV_EXTERN_C_END

#endif
