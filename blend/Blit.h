// The blend behind the host's Blit callback: draws one pixel map over another
// with an opacity. The zorvane program answers Blit with it, the filters blend
// their fades with it, and the recording test host uses it as the program does.
#pragma once

#include <HYPluginAPI.h>

namespace zv::blend {

// red, green and blue become (src * opacity + dst * (255 - opacity) + 127) / 255;
// the destination's alpha is kept; opacity is clamped into 0..255. srcRect is
// scaled to dstRect when their sizes differ. Rectangles are in each map's bounds.
// Both maps must have one pixel format (either order), else kPluginBadParams.
HYPluginResult BlitPixMaps(PixMapHandle src, PixMapHandle dst, const Rect *srcRect, const Rect *dstRect,
                           SInt16 opacity);

// The blend of one channel, exposed for the tests.
constexpr UInt8 BlendChannel(unsigned src, unsigned dst, unsigned opacity) {
  return static_cast<UInt8>((src * opacity + dst * (255 - opacity) + 127) / 255);
}

}  // namespace zv::blend
