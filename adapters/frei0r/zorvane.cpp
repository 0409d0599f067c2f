// The effect as a frei0r filter: the rectangle as fractions of the frame, the
// three floors as fractions of full intensity. frei0r hosts pass no frame
// index or clip length, so there are no fades here.
//
// Sections: parameters · plug-in · instances.

#include "FilterParams.h"
#include "FilterRoad.h"
#include "ZorvaneVersion.h"

extern "C" {
#include <frei0r.h>  // declares C functions without saying so
}

#include <array>
#include <atomic>
#include <cstdio>
#include <cmath>
#include <new>
#include <string>
#include <string_view>

namespace {

using zv::adapters::StoredConfig;

// ---- Parameters -------------------------------------------------------------

using zv::adapters::FilterParam;
using zv::adapters::kFilterParams;

// The table's rows this filter offers, in the table's order (ffmpeg passes
// them by position), and where each lands in the record: an edge of the
// rectangle or a floor. Values are fractions here: the table's percent / 100.
struct Offered {
  const FilterParam *row;
  double RELRECT::*edge;  // null for a floor
  int floor;
};

constexpr double RELRECT::*EdgeNamed(std::string_view name) {
  if (name == "left") return &RELRECT::LEFT;
  if (name == "right") return &RELRECT::RIGHT;
  if (name == "top") return &RELRECT::TOP;
  if (name == "bottom") return &RELRECT::BOTTOM;
  return nullptr;
}

constexpr int FloorNamed(std::string_view name) { return name == "red" ? 0 : name == "green" ? 1 : 2; }

constexpr int kParamCount = [] {
  int n = 0;
  for (const FilterParam &p : kFilterParams) n += (p.hosts & zv::adapters::kInFrei0r) != 0;
  return n;
}();

constexpr std::array<Offered, kParamCount> kOffered = [] {
  std::array<Offered, kParamCount> offered{};
  int i = 0;
  for (const FilterParam &p : kFilterParams)
    if (p.hosts & zv::adapters::kInFrei0r) offered[i++] = {&p, EdgeNamed(p.name), FloorNamed(p.name)};
  return offered;
}();

// The table's help, which speaks of percent, with this filter's scale.
const char *Explanation(int index) {
  static const std::array<std::string, kParamCount> texts = [] {
    std::array<std::string, kParamCount> t;
    for (int i = 0; i < kParamCount; ++i) t[i] = std::string(kOffered[i].row->help) + " Given here as a fraction: 1 is 100%.";
    return t;
  }();
  return texts[index].c_str();
}

// A frame the road cannot take goes through unchanged; the user hears of it
// once, on standard error, the only log frei0r hosts share.
void TellPassedThrough(int width, int height) {
  static std::atomic_flag told = ATOMIC_FLAG_INIT;
  if (!told.test_and_set())
    std::fprintf(stderr, "zorvane: %d x %d frames pass through unchanged (too large for the effect, or no memory)\n", width,
                 height);
}

struct Instance {
  int width;
  int height;
  PLUGINDATAREC config;  // starts as the stored configuration
};

}  // namespace

// ---- Plug-in ----------------------------------------------------------------

extern "C" {

int f0r_init() {
  (void)StoredConfig();
  (void)Explanation(0);
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
  info->explanation =
      "Zorvane as a frei0r filter: raises red, green and blue inside a rectangle to at least three floors. No fades "
      "and no rectangle on an editor's monitor: in MLT and Kdenlive the native filter \"zorvane\" has them.";
}

void f0r_get_param_info(f0r_param_info_t *info, int index) {
  if (index < 0 || index >= kParamCount) return;
  info->name = kOffered[index].row->name;
  info->type = F0R_PARAM_DOUBLE;
  info->explanation = Explanation(index);
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
  const Offered &o = kOffered[index];
  if (o.edge)
    self->config.STARTREL.*o.edge = value;  // Rel2Rect saturates what is not sensible
  else
    self->config.SLIDERS[o.floor] = zv::adapters::Fraction2Slider(value);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
  auto *self = static_cast<Instance *>(instance);
  if (!self || !param || index < 0 || index >= kParamCount) return;
  double &value = *static_cast<f0r_param_double *>(param);
  const Offered &o = kOffered[index];
  value = o.edge ? self->config.STARTREL.*o.edge : self->config.SLIDERS[o.floor] / 100.0;
}

void f0r_update(f0r_instance_t instance, double, const uint32_t *inframe, uint32_t *outframe) {
  auto *self = static_cast<Instance *>(instance);
  if (!self || !inframe || !outframe) return;
  const bool done = zv::adapters::RenderFrame(self->config, reinterpret_cast<const std::uint8_t *>(inframe),
                            reinterpret_cast<std::uint8_t *>(outframe), self->width, self->height,
                            std::ptrdiff_t{4} * self->width, -1);
  if (!done) TellPassedThrough(self->width, self->height);
}

}  // extern "C"
