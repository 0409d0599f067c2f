// Retain and release, common to every CF object.

#include "corefoundation/cf_object.h"

extern "C" {

CFTypeRef CFRetain(CFTypeRef cf) {
  if (cf != nullptr) static_cast<const zv::cf::Object *>(cf)->Retain();
  return cf;
}

// The original crashes on NULL; here it is a harmless no-op.
void CFRelease(CFTypeRef cf) {
  if (cf != nullptr) static_cast<const zv::cf::Object *>(cf)->Release();
}

}  // extern "C"
