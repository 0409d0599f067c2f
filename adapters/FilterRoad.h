// What every filter adapter shares: the configuration it starts from, the
// conversions of host parameters into the record, and one frame through the
// plug-in's own pixel road. No host's headers here.
#pragma once

#include "PluginDefines.h"

#include <cstddef>
#include <cstdint>

namespace zv::adapters {

// The stored configuration, read once per process and never written; the
// record's defaults when nothing valid is stored.
const PLUGINDATAREC &StoredConfig();

// A floor given as a fraction of full intensity, as a slider percentage:
// round(value x 100), kept within 0..100; not a number gives 0.
SInt16 Fraction2Slider(double value);
// A floor given in percent: rounded and kept within 0..100 the same way.
SInt16 Percent2Slider(double value);

// One frame of width x height pixels in red, green, blue, alpha order, rows
// stride bytes apart. The effect of theConfig goes from in to out (which may be
// the same buffer); with an opacity of 0..255 the untouched frame is then
// drawn over the result, as the plug-in's render pass does during fades (in
// and out must then differ). A frame no image can describe (empty, or beyond
// 32767 pixels a side) is copied unchanged and false returned.
bool RenderFrame(const PLUGINDATAREC &theConfig, const std::uint8_t *in, std::uint8_t *out, int width, int height,
                 std::ptrdiff_t stride, SInt16 opacity);

}  // namespace zv::adapters
