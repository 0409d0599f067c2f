// One video encoder fed with ARGB frames: picks the encoder's pixel format
// (ARGB itself, else another format that keeps alpha, else its usual one) and
// converts with exact scaler settings.
#pragma once

#include "media/FFmpeg.h"
#include "media/Image.h"

#include <vector>

namespace zv::media {

class VideoEncoder {
 public:
  VideoEncoder(const AVCodec *codec, int width, int height, AVRational frameRate, bool globalHeader);

  AVCodecContext *Context() const { return ctx_.get(); }
  void Send(const ArgbView &image, std::int64_t pts);
  void Flush();
  // The next packet, false when the encoder wants more input or is done.
  bool Receive(AVPacket *packet);

 private:
  AVFrame *FreeFrame();

  CodecContextPtr ctx_;
  // Encoders may keep the frames they were given (FFV1 keeps the last one):
  // a frame no encoder holds is filled anew rather than copied away from.
  std::vector<FramePtr> frames_;
  SwsPtr sws_;
};

AVPixelFormat EncoderPixelFormat(const AVCodec *codec, int width, int height);

// Throws MediaError ("<encoder> cannot encode a WxH picture") when the encoder
// refuses the size, before any frame is made.
void CheckEncoderTakes(const AVCodec *codec, int width, int height, AVRational frameRate, bool globalHeader);

}  // namespace zv::media
