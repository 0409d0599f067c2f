/* Core Foundation: reference-counted strings, URLs and bundles, and the image
   references a configuration may hold. Create/Copy results belong to the caller
   (CFRelease); Get results do not. */
#ifndef ZV_COREFOUNDATION_H
#define ZV_COREFOUNDATION_H

#include "Folders.h"

ZV_EXTERN_C_BEGIN

typedef const void *CFTypeRef;
typedef const struct __CFAllocator *CFAllocatorRef;
typedef const struct __CFString *CFStringRef;
typedef const struct __CFURL *CFURLRef;
typedef struct __CFBundle *CFBundleRef;
typedef long CFIndex;
typedef UInt32 CFStringEncoding;
typedef short CFBundleRefNum;

#define kCFAllocatorDefault ((CFAllocatorRef)0)
enum { kCFStringEncodingMacRoman = 0, kCFStringEncodingUTF8 = 0x08000100 };

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);

/* Strings. Pascal strings are Mac Roman; the text is kept as UTF-8. */
CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr, CFStringEncoding encoding);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char *cStr, CFStringEncoding encoding);
/* A string that lives as long as the process; releasing it does nothing. */
CFStringRef __CFStringMakeConstantString(const char *cStr);
#define CFSTR(s) __CFStringMakeConstantString("" s "")
Boolean CFStringGetCString(CFStringRef str, char *buffer, CFIndex bufferSize, CFStringEncoding encoding);

/* File URLs. */
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc, const UInt8 *buffer, CFIndex bufLen,
                                                 Boolean isDirectory);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8 *buffer, CFIndex maxBufLen);
Boolean CFURLGetFSRef(CFURLRef url, FSRef *fsRef);

/* Bundles: a folder X.bundle/Contents/ with Info.plist, the executable under
   Linux/ and the resources under Resources/. Creating a bundle reads its
   Info.plist and makes it known to CFBundleGetBundleWithIdentifier; it returns
   NULL when the folder or its Info.plist is missing or unreadable. */
CFBundleRef CFBundleCreate(CFAllocatorRef alloc, CFURLRef bundleURL);
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
/* resourceType is the extension without the dot; subDirName may be NULL. */
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);
/* Puts the bundle's resource file (Resources/<executable name>.rsrc) into the
   resource chain; -1 when it cannot be opened. */
CFBundleRefNum CFBundleOpenBundleResourceMap(CFBundleRef bundle);
void CFBundleCloseBundleResourceMap(CFBundleRef bundle, CFBundleRefNum refNum);

/* Image references. The stand-in holds a size only: configurations copy and
   release them, nothing here draws them. */
typedef struct CGImage *CGImageRef;
CGImageRef CGImageCreateCopy(CGImageRef image);
void CGImageRelease(CGImageRef image);

ZV_EXTERN_C_END

#endif
