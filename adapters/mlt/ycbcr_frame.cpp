#include "ycbcr_frame.h"

#include "YcbcrRoad.h"

#include <cstddef>

namespace zv::adapters {

namespace {

// The frame's own colour space; else the profile's; else MLT's rule by height.
int ColourSpace(mlt_frame frame, int height) {
  const int own = mlt_properties_get_int(MLT_FRAME_PROPERTIES(frame), "colorspace");
  if (own > 0) return own;
  mlt_producer producer = mlt_frame_get_original_producer(frame);
  mlt_profile profile = producer ? mlt_service_profile(MLT_PRODUCER_SERVICE(producer)) : nullptr;
  if (profile && profile->colorspace > 0) return profile->colorspace;
  return height >= 720 ? 709 : 601;
}

// MLT 7.12 lays yuv420p's Cr plane over its Cb plane, and its consumers read
// it there: writing chroma would change samples outside the rectangle.
bool PlanesApart(YcbcrLayout layout, uint8_t *const planes[4], const int strides[4], int height) {
  if (layout == YcbcrLayout::kPacked422) return planes[0] != nullptr;
  const std::ptrdiff_t chromaRows = layout == YcbcrLayout::kPlanar420 ? height / 2 : height;
  return planes[0] && planes[1] >= planes[0] + std::ptrdiff_t{strides[0]} * height &&
         planes[2] >= planes[1] + std::ptrdiff_t{strides[1]} * chromaRows;
}

}  // namespace

bool IsYcbcrFormat(mlt_image_format format) {
  return format == mlt_image_yuv422 || format == mlt_image_yuv420p || format == mlt_image_yuv422p16;
}

bool RenderYcbcrImage(mlt_frame frame, const PLUGINDATAREC &theConfig, SInt16 opacity, uint8_t *image,
                      mlt_image_format format, int width, int height) {
  if (!IsYcbcrFormat(format) || !image) return false;
  YcbcrImage im{};
  im.layout = format == mlt_image_yuv422     ? YcbcrLayout::kPacked422
              : format == mlt_image_yuv420p ? YcbcrLayout::kPlanar420
                                             : YcbcrLayout::kPlanar422x16;
  im.width = width, im.height = height;
  uint8_t *planes[4] = {};
  int strides[4] = {};
  mlt_image_format_planes(format, width, height, image, planes, strides);
  if (!PlanesApart(im.layout, planes, strides, height)) return false;
  for (int i = 0; i < 3; ++i) im.planes[i] = planes[i], im.strides[i] = strides[i];
  im.colorspace = ColourSpace(frame, height);
  im.fullRange = mlt_properties_get_int(MLT_FRAME_PROPERTIES(frame), "full_range") != 0;
  return RenderYcbcrFrame(theConfig, im, opacity);
}

}  // namespace zv::adapters
