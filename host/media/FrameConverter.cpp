#include "media/FrameConverter.h"

#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace zv::media {

int ExactScalerFlags(bool scaling) {
  return (scaling ? SWS_BICUBIC : SWS_POINT) | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT |
         SWS_FULL_CHR_H_INP;
}

int SwsColorspaceOf(AVColorSpace space, int height) {
  switch (space) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return SWS_CS_ITU601;
    default: return height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;  // untagged: guess by size
  }
}

namespace {

bool IsYuv(AVPixelFormat fmt) {
  const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(fmt);
  return d && !(d->flags & AV_PIX_FMT_FLAG_RGB) && d->nb_components >= 3;
}

}  // namespace

SwsContext *FrameConverter::ContextFor(const AVFrame &frame, const ArgbView &target, Quality quality) {
  const bool scaling = frame.width != target.width || frame.height != target.height;
  const int flags = quality == Quality::Low && scaling ? SWS_FAST_BILINEAR : ExactScalerFlags(scaling);
  const auto fmt = static_cast<AVPixelFormat>(frame.format);
  const int space = SwsColorspaceOf(frame.colorspace, frame.height);
  const int fullRange = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
  Key key{frame.width, frame.height, frame.format, target.width, target.height, flags, space, fullRange};
  auto it = contexts_.find(key);
  if (it != contexts_.end()) return it->second.get();

  if (contexts_.size() > 8) contexts_.clear();  // sizes changing all the time: start afresh
  SwsPtr ctx(sws_getContext(frame.width, frame.height, fmt, target.width, target.height, AV_PIX_FMT_ARGB, flags,
                            nullptr, nullptr, nullptr));
  if (!ctx) throw MediaError(std::string("cannot convert pixel format ") + (av_get_pix_fmt_name(fmt) ?: "?"));
  if (IsYuv(fmt)) {
    // Full-range (yuvj) formats are already known to swscale; for the others
    // the frame's own range and matrix decide.
    int *inv, *table, srcRange, dstRange, brightness, contrast, saturation;
    if (sws_getColorspaceDetails(ctx.get(), &inv, &srcRange, &table, &dstRange, &brightness, &contrast,
                                 &saturation) >= 0)
      sws_setColorspaceDetails(ctx.get(), sws_getCoefficients(space), srcRange || fullRange, table, 1, brightness,
                             contrast, saturation);
  }
  return contexts_.emplace(key, std::move(ctx)).first->second.get();
}

void FrameConverter::ToArgb(const AVFrame &frame, const ArgbView &target, Quality quality) {
  if (frame.format == AV_PIX_FMT_ARGB && frame.width == target.width && frame.height == target.height) {
    for (int y = 0; y < target.height; ++y)
      std::memcpy(target.Row(y), frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0],
                  static_cast<std::size_t>(target.width) * 4);
    return;
  }
  SwsContext *ctx = ContextFor(frame, target, quality);
  uint8_t *dst[4] = {target.data, nullptr, nullptr, nullptr};
  int dstStride[4] = {static_cast<int>(target.stride), 0, 0, 0};
  const int rows = sws_scale(ctx, frame.data, frame.linesize, 0, frame.height, dst, dstStride);
  if (rows <= 0) throw MediaError("pixel conversion failed");
}

}  // namespace zv::media
