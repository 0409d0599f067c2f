// Image references: a size and a reference count; nothing draws them.

#include "corefoundation/cf_object.h"

struct CGImage final : zv::cf::Object {
  CGImage(std::size_t w, std::size_t h) : width(w), height(h) {}
  const std::size_t width;
  const std::size_t height;
};

extern "C" {

CGImageRef CGImageCreateCopy(CGImageRef image) {
  return image != nullptr ? new CGImage(image->width, image->height) : nullptr;
}

void CGImageRelease(CGImageRef image) {
  if (image != nullptr) image->Release();
}

}  // extern "C"
