// Image references: a size and a reference count; nothing draws them.

#include "corefoundation/cf_object.h"

struct CGImage final : zv::cf::Object {
  CGImage(std::size_t w, std::size_t h) : width(w), height(h) {}
  const std::size_t width;
  const std::size_t height;
};

extern "C" {

CGImageRef CGImageCreateBlank(size_t width, size_t height) { return new CGImage(width, height); }

CGImageRef CGImageCreateCopy(CGImageRef image) {
  return image != nullptr ? new CGImage(image->width, image->height) : nullptr;
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr) image->Retain();
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image != nullptr) image->Release();
}

size_t CGImageGetWidth(CGImageRef image) { return image != nullptr ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image != nullptr ? image->height : 0; }

}  // extern "C"
