// The effect as a frei0r filter: the rectangle as fractions of the frame, the
// three floors as fractions of full intensity. frei0r hosts pass no frame
// index or clip length, so there are no fades here.
//
// Sections: parameters · plug-in · instances.

#include "FilterRoad.h"
#include "ZorvaneVersion.h"

extern "C" {
#include <frei0r.h>  // declares C functions without saying so
}

#include <cmath>
#include <new>

namespace {

using zv::adapters::StoredConfig;

// ---- Parameters -------------------------------------------------------------

enum Param { kLeft, kRight, kTop, kBottom, kRed, kGreen, kBlue, kParamCount };

constexpr const char *kParamNames[kParamCount] = {"left", "right", "top", "bottom", "red", "green", "blue"};
constexpr const char *kParamHelp[kParamCount] = {
    "Left edge of the rectangle, as a fraction of the frame's width",
    "Right edge of the rectangle, as a fraction of the frame's width",
    "Top edge of the rectangle, as a fraction of the frame's height",
    "Bottom edge of the rectangle, as a fraction of the frame's height",
    "Lowest red inside the rectangle, as a fraction of full intensity",
    "Lowest green inside the rectangle, as a fraction of full intensity",
    "Lowest blue inside the rectangle, as a fraction of full intensity"};

struct Instance {
  int width;
  int height;
  PLUGINDATAREC config;  // starts as the stored configuration
};

double *RectEdge(PLUGINDATAREC &config, int index) {
  RELRECT &r = config.STARTREL;
  double *edges[4] = {&r.LEFT, &r.RIGHT, &r.TOP, &r.BOTTOM};
  return edges[index];
}

}  // namespace

// ---- Plug-in ----------------------------------------------------------------

extern "C" {

int f0r_init() {
  (void)StoredConfig();
  return 1;
}

void f0r_deinit() {}

void f0r_get_plugin_info(f0r_plugin_info_t *info) {
  info->name = "zorvane";
  info->author = "Zorvane";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = ZORVANE_VERSION_MAJOR;
  info->minor_version = ZORVANE_VERSION_MINOR;
  info->num_params = kParamCount;
  info->explanation = "Raises red, green and blue inside a rectangle to at least three floors";
}

void f0r_get_param_info(f0r_param_info_t *info, int index) {
  if (index < 0 || index >= kParamCount) return;
  info->name = kParamNames[index];
  info->type = F0R_PARAM_DOUBLE;
  info->explanation = kParamHelp[index];
}

// ---- Instances ----------------------------------------------------------------

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  auto *instance = new (std::nothrow) Instance{static_cast<int>(width), static_cast<int>(height), StoredConfig()};
  return instance;
}

void f0r_destruct(f0r_instance_t instance) { delete static_cast<Instance *>(instance); }

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  auto *self = static_cast<Instance *>(instance);
  if (!self || !param || index < 0 || index >= kParamCount) return;
  const double value = *static_cast<const f0r_param_double *>(param);
  if (index <= kBottom)
    *RectEdge(self->config, index) = value;  // Rel2Rect saturates what is not sensible
  else
    self->config.SLIDERS[index - kRed] = zv::adapters::Fraction2Slider(value);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  auto *self = static_cast<Instance *>(instance);
  if (!self || !param || index < 0 || index >= kParamCount) return;
  double &value = *static_cast<f0r_param_double *>(param);
  if (index <= kBottom)
    value = *RectEdge(self->config, index);
  else
    value = self->config.SLIDERS[index - kRed] / 100.0;
}

void f0r_update(f0r_instance_t instance, double, const uint32_t *inframe, uint32_t *outframe) {
  auto *self = static_cast<Instance *>(instance);
  if (!self || !inframe || !outframe) return;
  zv::adapters::RenderFrame(self->config, reinterpret_cast<const std::uint8_t *>(inframe),
                            reinterpret_cast<std::uint8_t *>(outframe), self->width, self->height,
                            std::ptrdiff_t{4} * self->width, -1);
}

}  // extern "C"
