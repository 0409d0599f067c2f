#include "fadeprocs.h"

#include <algorithm>
#include <cmath>

void ClampFades(SInt32 n, SInt32 &fadeIn, SInt32 &fadeOut) {
  if (fadeIn != 0 && fadeOut != 0) {
    fadeIn = std::min(fadeIn, n / 2);
    fadeOut = std::min(fadeOut, n / 2);
  } else if (fadeIn != 0) {
    fadeIn = std::min(fadeIn, n);
  } else if (fadeOut != 0) {
    fadeOut = std::min(fadeOut, n);
  }
}

SInt16 FadeOpacity(SInt32 r, SInt32 n, SInt32 fadeIn, SInt32 fadeOut) {
  double percent;
  if (fadeIn > 0 && r < fadeIn)
    percent = static_cast<double>(r) / fadeIn;
  else if (fadeOut > 0 && r > n - fadeOut)
    percent = static_cast<double>(n - r) / fadeOut;
  else
    return -1;
  const double opacity = std::trunc(255.0 * (1.0 - percent));
  return static_cast<SInt16>(std::clamp(opacity, 0.0, 255.0));
}
