/* Window descriptions: the bundle's Resources/<name>.nib, an XML file with one
   or more named windows (the format is written down in toolbox/nib.cpp).
   A description is checked whole when it is opened. Every failure also leaves
   a message naming the file, the line and the fault, written to standard
   error and kept for NibErrorMessage. */
#ifndef ZV_NIB_H
#define ZV_NIB_H

#include "CarbonEvents.h"

ZV_EXTERN_C_BEGIN

typedef struct OpaqueIBNibRef *IBNibRef;

enum {
  kIBCarbonRuntimeMalformedNib = -10959, /* not well-formed XML, or a fault in a description */
  kIBCarbonRuntimeCantFindNibFile = -10960,
  kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
  kIBCarbonRuntimeCantFindObject = -10962 /* no window of that name, or an unregistered control class */
};

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName, IBNibRef *outNibRef);
/* The window is made hidden; the caller disposes of it (DisposeWindow). */
OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef *outWindow);
void DisposeNibReference(IBNibRef inNibRef);

ZV_EXTERN_C_END

#ifdef __cplusplus
#include <string>
namespace zv {
/* Opens a description by file path, as CreateNibReferenceWithCFBundle does. */
OSStatus CreateNibReferenceFromFile(const std::string &path, IBNibRef *outNibRef);
/* The message of the last failed nib call ("file:line: fault"), empty after a success. */
std::string NibErrorMessage();
}
#endif

#endif
