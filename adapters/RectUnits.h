// The MLT filter's rectangle text: "x y w h", each value in pixels of the
// profile or, with "%", in percent of the frame, keyframed or not. No host's
// headers here.
#pragma once

#include "PluginDefines.h"

#include <string>

namespace zv::adapters {

// A pixel position of a side `size` pixels long as the fraction the plug-in
// takes back to exactly that pixel: trunc(size x fraction) is trunc(pixels),
// toward zero as the plug-in truncates. Whole pixels give themselves.
double Pixels2Fraction(double pixels, int size);

// A rectangle in pixels of a width x height profile as the plug-in's
// fractions, each edge landing on its own pixel.
RELRECT PixelRect2Rel(double x, double y, double w, double h, int width, int height);

enum class RectUnits { kPixels, kPercent, kMixed };

// The units of the first four values of every keyframe in a rect text.
RectUnits UnitsOf(const char *text);

// The same text with every "%" value written in pixels of a width x height
// profile; keys, keyframe kinds and any fifth value are kept as written.
std::string RectInPixels(const char *text, int width, int height);

}  // namespace zv::adapters
