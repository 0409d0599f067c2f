// One sound encoder fed with planar float blocks: picks the encoder's sample
// format, the nearest rate and a layout it takes, resamples into a queue and
// encodes the queue in the encoder's frame size.
#pragma once

#include <functional>
#include <memory>

#include "media/Clip.h"
#include "media/FFmpeg.h"

struct AVAudioFifo;

namespace zv::media {

class AudioEncoder {
 public:
  // Each finished packet, its times in the encoder's time base.
  using PacketSink = std::function<void(AVPacket *)>;

  // Throws MediaError when the encoder cannot be opened.
  AudioEncoder(const AVCodec *codec, int sampleRate, int channels, bool globalHeader);
  ~AudioEncoder();

  AVCodecContext *Context() const { return ctx_.get(); }
  void Send(const AudioBlock &samples, const PacketSink &sink);
  // What the resampler and the encoder still hold.
  void Flush(const PacketSink &sink);

 private:
  struct FifoDeleter {
    void operator()(AVAudioFifo *f) const;
  };

  void Resample(const std::uint8_t *const *in, int count);
  void Encode(bool flushing, const PacketSink &sink);
  void Drain(const PacketSink &sink);

  CodecContextPtr ctx_;
  SwrPtr swr_;
  std::unique_ptr<AVAudioFifo, FifoDeleter> fifo_;
  FramePtr frame_ = NewFrame();
  PacketPtr packet_ = NewPacket();
  std::int64_t samplesOut_ = 0;
};

}  // namespace zv::media
