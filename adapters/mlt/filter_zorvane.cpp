// The effect as a native MLT filter: an animatable rectangle (pixels of the
// profile, or "%" of the frame), three animatable floors in percent, and fades
// counted over the clip as it stands where the filter is attached, exactly as
// the plug-in's render pass counts them over a clip.
//
// Sections: per-frame parameters · image · process · init and registration.
//
// Properties are read in process(), one frame at a time; MLT holds the lock
// of the service asked for the frame (for an attached filter, its producer),
// not the filter's, so two producers may run it at once. What a frame needs
// travels with it, so images rendered on several threads at once share
// nothing but the read-only stored configuration.

#include "FilterParams.h"
#include "FilterRoad.h"
#include "RectUnits.h"
#include "fadeprocs.h"

#include <framework/mlt.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using zv::adapters::Percent2Slider;

// ---- Per-frame parameters ------------------------------------------------------

// Everything one frame's image needs, fixed when the frame passed the filter.
struct FrameParams {
  PLUGINDATAREC config;
  SInt16 opacity;  // -1 outside the fades
  mlt_filter filter;  // for the log
};

// A frame the effect cannot take (too large, no memory) goes through
// unchanged; the user hears of it once, in MLT's log.
void TellPassedThrough(mlt_filter filter, int width, int height) {
  static std::atomic_flag told = ATOMIC_FLAG_INIT;
  if (!told.test_and_set())
    mlt_log(filter ? MLT_FILTER_SERVICE(filter) : nullptr, MLT_LOG_WARNING,
            "%d x %d frames pass through unchanged (too large for the effect, or no memory)\n", width, height);
}

std::string ParamsKey(mlt_filter filter) {
  const char *id = mlt_properties_get(MLT_FILTER_PROPERTIES(filter), "_unique_id");
  return std::string("zorvane.params.") + (id ? id : "");
}

// The rectangle as fractions of the frame. Each value keeps its own unit:
// MLT reads a "%" value as a fraction and a pixel value as it stands, and
// interpolates between keyframes whatever their units; so text that mixes
// them is first written all in pixels of the profile. Pixels become the
// fractions that land on those very pixels.
RELRECT RectOf(mlt_filter filter, mlt_position position, mlt_position length) {
  using zv::adapters::RectUnits;
  mlt_properties props = MLT_FILTER_PROPERTIES(filter);
  mlt_profile profile = mlt_service_profile(MLT_FILTER_SERVICE(filter));
  const int width = profile ? profile->width : 0, height = profile ? profile->height : 0;
  const char *text = mlt_properties_get(props, "rect");
  const RectUnits units = zv::adapters::UnitsOf(text);
  const char *name = "rect";
  if (units == RectUnits::kMixed) {
    const std::string pixels = zv::adapters::RectInPixels(text, width, height);
    const char *kept = mlt_properties_get(props, "_zorvane.rect_pixels");
    if (!kept || pixels != kept) mlt_properties_set(props, "_zorvane.rect_pixels", pixels.c_str());
    name = "_zorvane.rect_pixels";
  }
  const mlt_rect r = mlt_properties_anim_get_rect(props, name, position, length);
  if (units == RectUnits::kPercent) return RELRECT{r.x, r.x + r.w, r.y, r.y + r.h};
  return zv::adapters::PixelRect2Rel(r.x, r.y, r.w, r.h, width, height);
}

// Where the filter is attached (to a producer, a cut or timeline entry, a
// track, the timeline), MLT puts the span it applies it over on the frame just
// before process: the filter's own in/out, else the service's. Fades and
// keyframes count over that span. Connected in a chain (melt's -filter) it
// counts over its own length.
void SpanOf(mlt_filter filter, mlt_frame frame, mlt_position &position, mlt_position &length) {
  mlt_properties fp = MLT_FRAME_PROPERTIES(frame);
  const mlt_position in = mlt_properties_get_position(fp, "in"), out = mlt_properties_get_position(fp, "out");
  if (mlt_properties_get_data(MLT_FILTER_PROPERTIES(filter), "service", nullptr) && out >= in && out > 0) {
    position = mlt_frame_get_position(frame) - in;
    length = out - in + 1;
  } else {
    position = mlt_filter_get_position(filter, frame);
    length = mlt_filter_get_length2(filter, frame);
  }
}

FrameParams ReadFrameParams(mlt_filter filter, mlt_frame frame) {
  mlt_properties props = MLT_FILTER_PROPERTIES(filter);
  mlt_position position = 0, length = 0;
  SpanOf(filter, frame, position, length);
  FrameParams params{zv::adapters::StoredConfig(), -1, filter};
  // The default text stands for the stored rectangle, whose fractions the
  // trip through "%" text could move by one pixel.
  const char *rect = mlt_properties_get(props, "rect"), *byDefault = mlt_properties_get(props, "_zorvane.rect_default");
  if (!rect || !byDefault || std::strcmp(rect, byDefault) != 0) params.config.STARTREL = RectOf(filter, position, length);
  const char *floors[3] = {"red", "green", "blue"};
  for (int i = 0; i < 3; ++i)
    params.config.SLIDERS[i] = Percent2Slider(mlt_properties_anim_get_double(props, floors[i], position, length));
  SInt32 fadeIn = mlt_properties_get_int(props, "fade_in"), fadeOut = mlt_properties_get_int(props, "fade_out");
  if (fadeIn < 0) fadeIn = 0;
  if (fadeOut < 0) fadeOut = 0;
  ClampFades(length, fadeIn, fadeOut);
  params.opacity = FadeOpacity(position, length, fadeIn, fadeOut);
  return params;
}

// ---- Image --------------------------------------------------------------------

int GetImage(mlt_frame frame, uint8_t **image, mlt_image_format *format, int *width, int *height, int) {
  auto *params = static_cast<const FrameParams *>(mlt_frame_pop_service(frame));
  *format = mlt_image_rgba;
  const int error = mlt_frame_get_image(frame, image, format, width, height, 0);
  if (error || !params || *format != mlt_image_rgba || !*image) return error;
  // The effect goes into a pooled image: cheaper than asking for a writable
  // copy, and during a fade the untouched frame is still there to draw over it.
  const int w = *width, h = *height;
  const int size = mlt_image_format_size(mlt_image_rgba, w, h, nullptr);
  auto *out = static_cast<uint8_t *>(mlt_pool_alloc(size));
  if (!out) {
    TellPassedThrough(params->filter, w, h);
    return 0;
  }
  if (!zv::adapters::RenderFrame(params->config, *image, out, w, h, std::ptrdiff_t{4} * w, params->opacity))
    TellPassedThrough(params->filter, w, h);
  mlt_frame_set_image(frame, out, size, mlt_pool_release);
  *image = out;
  return 0;
}

// ---- Process ------------------------------------------------------------------

mlt_frame Process(mlt_filter filter, mlt_frame frame) {
  auto *params = static_cast<FrameParams *>(std::malloc(sizeof(FrameParams)));
  if (!params) {
    TellPassedThrough(filter, mlt_properties_get_int(MLT_FRAME_PROPERTIES(frame), "width"),
                      mlt_properties_get_int(MLT_FRAME_PROPERTIES(frame), "height"));
    return frame;
  }
  *params = ReadFrameParams(filter, frame);
  // The frame owns the parameters; two of these filters in a chain keep two.
  mlt_properties_set_data(MLT_FRAME_PROPERTIES(frame), ParamsKey(filter).c_str(), params, sizeof(FrameParams),
                          std::free, nullptr);
  mlt_frame_push_service(frame, params);
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
  mlt_properties_set(props, "_zorvane.rect_default", rect);
  mlt_properties_set_double(props, "red", stored.SLIDERS[0]);
  mlt_properties_set_double(props, "green", stored.SLIDERS[1]);
  mlt_properties_set_double(props, "blue", stored.SLIDERS[2]);
  for (const char *fade : {"fade_in", "fade_out"})
    mlt_properties_set_int(props, fade, static_cast<int>(zv::adapters::FindFilterParam(fade)->byDefault));
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
