/* Memory Manager: pointers and handles. Blocks never move; a handle's master
   pointer stays put for the handle's life. Every block knows its size. */
#ifndef ZV_MACMEMORY_H
#define ZV_MACMEMORY_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

Ptr NewPtrClear(Size byteCount);
void DisposePtr(Ptr p);
Size GetPtrSize(Ptr p);

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);

/* Result of the last call above: noErr, memFullErr (also for negative sizes),
   nilHandleErr, or memWZErr for disposing of something that is not a block. */
OSErr MemError(void);

void BlockMoveData(const void *src, void *dst, Size byteCount);

ZV_EXTERN_C_END

#endif
