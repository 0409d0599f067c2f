#include "media/VideoEncoder.h"

#include <cerrno>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "media/FrameConverter.h"

namespace zv::media {

namespace {

bool Supports(const AVCodec *codec, AVPixelFormat fmt) {
  if (!codec->pix_fmts) return true;
  for (const AVPixelFormat *p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
    if (*p == fmt) return true;
  return false;
}

bool FitsSubsampling(AVPixelFormat fmt, int width, int height) {
  const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(fmt);
  return d && width % (1 << d->log2_chroma_w) == 0 && height % (1 << d->log2_chroma_h) == 0;
}

}  // namespace

AVPixelFormat EncoderPixelFormat(const AVCodec *codec, int width, int height) {
  // Formats that keep every byte of ARGB, best first.
  for (AVPixelFormat fmt : {AV_PIX_FMT_ARGB, AV_PIX_FMT_RGBA, AV_PIX_FMT_BGRA, AV_PIX_FMT_ABGR, AV_PIX_FMT_GBRAP})
    if (Supports(codec, fmt)) return fmt;
  if (Supports(codec, AV_PIX_FMT_YUV420P) && FitsSubsampling(AV_PIX_FMT_YUV420P, width, height))
    return AV_PIX_FMT_YUV420P;
  if (codec->pix_fmts) {
    for (const AVPixelFormat *p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
      if (FitsSubsampling(*p, width, height) && sws_isSupportedOutput(*p)) return *p;
  }
  return AV_PIX_FMT_NONE;
}

namespace {

CodecContextPtr OpenEncoder(const AVCodec *codec, int width, int height, AVRational frameRate, bool globalHeader) {
  const AVPixelFormat fmt = EncoderPixelFormat(codec, width, height);
  const std::string cannot =
      std::string(codec->name) + " cannot encode a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
  if (fmt == AV_PIX_FMT_NONE) throw MediaError(cannot);
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) throw std::bad_alloc();
  ctx->width = width;
  ctx->height = height;
  ctx->pix_fmt = fmt;
  ctx->time_base = av_inv_q(frameRate);
  ctx->framerate = frameRate;
  ctx->thread_count = 0;
  if (!(av_pix_fmt_desc_get(fmt)->flags & AV_PIX_FMT_FLAG_RGB)) {
    const bool hd = height >= 720;
    ctx->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    ctx->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
    ctx->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    ctx->color_range = AVCOL_RANGE_MPEG;
  }
  if (globalHeader) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int opened = avcodec_open2(ctx.get(), codec, nullptr);
  // Encoders refuse sizes beyond their format's own limits with EINVAL.
  if (opened == AVERROR(EINVAL)) throw MediaError(cannot);
  Check(opened, (std::string("cannot open the encoder ") + codec->name).c_str());
  return ctx;
}

}  // namespace

void CheckEncoderTakes(const AVCodec *codec, int width, int height, AVRational frameRate, bool globalHeader) {
  OpenEncoder(codec, width, height, frameRate, globalHeader);
}

VideoEncoder::VideoEncoder(const AVCodec *codec, int width, int height, AVRational frameRate, bool globalHeader)
    : ctx_(OpenEncoder(codec, width, height, frameRate, globalHeader)) {
  const AVPixelFormat fmt = ctx_->pix_fmt;
  const bool yuv = !(av_pix_fmt_desc_get(fmt)->flags & AV_PIX_FMT_FLAG_RGB);
  if (fmt != AV_PIX_FMT_ARGB) {
    sws_.reset(sws_getContext(width, height, AV_PIX_FMT_ARGB, width, height, fmt, ExactScalerFlags(false), nullptr,
                              nullptr, nullptr));
    if (!sws_) throw MediaError(std::string("cannot convert to ") + av_get_pix_fmt_name(fmt));
    if (yuv) {
      int *inv, *table, srcRange, dstRange, brightness, contrast, saturation;
      if (sws_getColorspaceDetails(sws_.get(), &inv, &srcRange, &table, &dstRange, &brightness, &contrast,
                                   &saturation) >= 0)
        sws_setColorspaceDetails(sws_.get(), inv, 1, sws_getCoefficients(SwsColorspaceOf(ctx_->colorspace, height)),
                                 0, brightness, contrast, saturation);
    }
  }
}

AVFrame *VideoEncoder::FreeFrame() {
  // A few frames cover every encoder here; one that holds more gets fresh ones.
  constexpr std::size_t kKept = 4;
  for (const FramePtr &f : frames_)
    if (av_frame_is_writable(f.get())) return f.get();
  FramePtr f = NewFrame();
  f->format = ctx_->pix_fmt;
  f->width = ctx_->width;
  f->height = ctx_->height;
  Check(av_frame_get_buffer(f.get(), 0), "frame buffer");
  if (frames_.size() >= kKept) frames_.erase(frames_.begin());
  frames_.push_back(std::move(f));
  return frames_.back().get();
}

void VideoEncoder::Send(const ArgbView &image, std::int64_t pts) {
  if (image.width != ctx_->width || image.height != ctx_->height) throw MediaError("frame of the wrong size");
  AVFrame *frame = FreeFrame();
  if (!sws_) {
    for (int y = 0; y < image.height; ++y)
      std::memcpy(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0], image.Row(y),
                  static_cast<std::size_t>(image.width) * 4);
  } else {
    const uint8_t *src[4] = {image.data, nullptr, nullptr, nullptr};
    const int srcStride[4] = {static_cast<int>(image.stride), 0, 0, 0};
    sws_scale(sws_.get(), src, srcStride, 0, image.height, frame->data, frame->linesize);
  }
  frame->pts = pts;
  Check(avcodec_send_frame(ctx_.get(), frame), "encoding failed");
}

void VideoEncoder::Flush() { Check(avcodec_send_frame(ctx_.get(), nullptr), "encoding failed"); }

bool VideoEncoder::Receive(AVPacket *packet) {
  const int r = avcodec_receive_packet(ctx_.get(), packet);
  if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return false;
  Check(r, "encoding failed");
  return true;
}

}  // namespace zv::media
