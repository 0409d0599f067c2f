// The effect as a native MLT filter: an animatable rectangle (pixels of the
// profile, or "%" of the frame), three animatable floors in percent, and fades
// counted over the filter's own length exactly as the plug-in's render pass
// counts them over a clip.
//
// Sections: per-frame order · image · process · init and registration.
//
// Properties are read in process(), which MLT calls for one frame at a time;
// what a frame needs travels with it, so images rendered on several threads at
// once share nothing but the read-only stored configuration.

#include "FilterRoad.h"
#include "fadeprocs.h"
#include "ycbcr_frame.h"

#include <framework/mlt.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using zv::adapters::Percent2Slider;

// ---- Per-frame order ----------------------------------------------------------

// Everything one frame's image needs, fixed when the frame passed the filter.
struct FrameOrder {
  PLUGINDATAREC config;
  SInt16 opacity;  // -1 outside the fades
};

std::string OrderKey(mlt_filter filter) {
  const char *id = mlt_properties_get(MLT_FILTER_PROPERTIES(filter), "_unique_id");
  return std::string("zorvane.order.") + (id ? id : "");
}

// The rectangle as fractions of the frame: "%" values already are, pixel values
// are pixels of the profile, so a frame of another size gets the same area.
RELRECT RectOf(mlt_filter filter, mlt_position position, mlt_position length) {
  mlt_properties props = MLT_FILTER_PROPERTIES(filter);
  const mlt_rect r = mlt_properties_anim_get_rect(props, "rect", position, length);
  const char *text = mlt_properties_get(props, "rect");
  double sx = 1.0, sy = 1.0;
  if (!text || !std::strchr(text, '%')) {
    mlt_profile profile = mlt_service_profile(MLT_FILTER_SERVICE(filter));
    sx = profile && profile->width > 0 ? 1.0 / profile->width : 0.0;
    sy = profile && profile->height > 0 ? 1.0 / profile->height : 0.0;
  }
  return RELRECT{r.x * sx, (r.x + r.w) * sx, r.y * sy, (r.y + r.h) * sy};
}

FrameOrder MakeOrder(mlt_filter filter, mlt_frame frame) {
  mlt_properties props = MLT_FILTER_PROPERTIES(filter);
  const mlt_position position = mlt_filter_get_position(filter, frame);
  const mlt_position length = mlt_filter_get_length2(filter, frame);
  FrameOrder order{zv::adapters::StoredConfig(), -1};
  order.config.STARTREL = RectOf(filter, position, length);
  const char *floors[3] = {"red", "green", "blue"};
  for (int i = 0; i < 3; ++i)
    order.config.SLIDERS[i] = Percent2Slider(mlt_properties_anim_get_double(props, floors[i], position, length));
  SInt32 fadeIn = mlt_properties_get_int(props, "fade_in"), fadeOut = mlt_properties_get_int(props, "fade_out");
  if (fadeIn < 0) fadeIn = 0;
  if (fadeOut < 0) fadeOut = 0;
  ClampFades(length, fadeIn, fadeOut);
  order.opacity = FadeOpacity(position, length, fadeIn, fadeOut);
  return order;
}

// ---- Image --------------------------------------------------------------------

int GetImage(mlt_frame frame, uint8_t **image, mlt_image_format *format, int *width, int *height, int) {
  auto *order = static_cast<const FrameOrder *>(mlt_frame_pop_service(frame));
  // A Y'CbCr frame is taken as it comes and changed inside the rectangle only.
  const bool ycbcr = zv::adapters::IsYcbcrFormat(*format);
  if (!ycbcr) *format = mlt_image_rgba;
  const int error = mlt_frame_get_image(frame, image, format, width, height, ycbcr);
  if (error || !order || !*image) return error;
  if (ycbcr && zv::adapters::RenderYcbcrImage(frame, order->config, order->opacity, *image, *format, *width, *height))
    return 0;
  if (*format != mlt_image_rgba &&
      (!frame->convert_image || frame->convert_image(frame, image, format, mlt_image_rgba) || !*image))
    return 0;
  // The effect goes into a pooled image: cheaper than asking for a writable
  // copy, and during a fade the untouched frame is still there to draw over it.
  const int w = *width, h = *height;
  const int size = mlt_image_format_size(mlt_image_rgba, w, h, nullptr);
  auto *out = static_cast<uint8_t *>(mlt_pool_alloc(size));
  if (!out) return 1;
  zv::adapters::RenderFrame(order->config, *image, out, w, h, std::ptrdiff_t{4} * w, order->opacity);
  mlt_frame_set_image(frame, out, size, mlt_pool_release);
  *image = out;
  return 0;
}

// ---- Process ------------------------------------------------------------------

mlt_frame Process(mlt_filter filter, mlt_frame frame) {
  auto *order = static_cast<FrameOrder *>(std::malloc(sizeof(FrameOrder)));
  if (!order) return frame;
  *order = MakeOrder(filter, frame);  // under the filter's own lock, taken by MLT
  // The frame owns the order; two of these filters in a chain keep two.
  mlt_properties_set_data(MLT_FRAME_PROPERTIES(frame), OrderKey(filter).c_str(), order, sizeof(FrameOrder),
                          std::free, nullptr);
  mlt_frame_push_service(frame, order);
  mlt_frame_push_get_image(frame, GetImage);
  return frame;
}

// ---- Init and registration ------------------------------------------------------

// The stored rectangle and floors as the property defaults, in "%" so they fit
// every profile.
void SetDefaults(mlt_properties props) {
  const PLUGINDATAREC &stored = zv::adapters::StoredConfig();
  const RELRECT &r = stored.STARTREL;
  char rect[160];
  std::snprintf(rect, sizeof rect, "%.17g%% %.17g%% %.17g%% %.17g%%", r.LEFT * 100, r.TOP * 100,
                (r.RIGHT - r.LEFT) * 100, (r.BOTTOM - r.TOP) * 100);
  mlt_properties_set(props, "rect", rect);
  mlt_properties_set_double(props, "red", stored.SLIDERS[0]);
  mlt_properties_set_double(props, "green", stored.SLIDERS[1]);
  mlt_properties_set_double(props, "blue", stored.SLIDERS[2]);
  mlt_properties_set_int(props, "fade_in", 0);
  mlt_properties_set_int(props, "fade_out", 0);
}

void *FilterInit(mlt_profile, mlt_service_type, const char *, const void *) {
  mlt_filter filter = mlt_filter_new();
  if (!filter) return nullptr;
  SetDefaults(MLT_FILTER_PROPERTIES(filter));
  filter->process = Process;
  return filter;
}

// The description lies beside the module (zorvane/filter_zorvane.yml), or in
// MLT's data folder when installed with MLT itself.
mlt_properties Metadata(mlt_service_type, const char *, void *data) {
  const char *file = static_cast<const char *>(data);
  Dl_info self{};
  if (dladdr(reinterpret_cast<void *>(&Metadata), &self) && self.dli_fname) {
    std::string path = self.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + "zorvane/" + file;
    if (FILE *f = std::fopen(path.c_str(), "r")) {
      std::fclose(f);
      return mlt_properties_parse_yaml(path.c_str());
    }
  }
  const char *data_dir = mlt_environment("MLT_DATA");
  if (!data_dir) return nullptr;
  return mlt_properties_parse_yaml((std::string(data_dir) + "/zorvane/" + file).c_str());
}

}  // namespace

extern "C" MLT_REPOSITORY {
  MLT_REGISTER(mlt_service_filter_type, "zorvane", FilterInit);
  MLT_REGISTER_METADATA(mlt_service_filter_type, "zorvane", Metadata, const_cast<char *>("filter_zorvane.yml"));
}
