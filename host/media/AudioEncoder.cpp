#include "media/AudioEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" {
#include <libavutil/audio_fifo.h>
}

namespace zv::media {

namespace {

AVSampleFormat SampleFormatFor(const AVCodec *codec) {
  if (!codec->sample_fmts) return AV_SAMPLE_FMT_FLTP;
  for (const AVSampleFormat *f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == AV_SAMPLE_FMT_FLTP) return *f;
  return codec->sample_fmts[0];
}

// The nearest rate the encoder takes; the sound is resampled to it.
int SampleRateFor(const AVCodec *codec, int wanted) {
  if (!codec->supported_samplerates) return wanted;
  int best = codec->supported_samplerates[0];
  for (const int *r = codec->supported_samplerates; *r; ++r)
    if (std::abs(*r - wanted) < std::abs(best - wanted)) best = *r;
  return best;
}

void SetLayoutFor(const AVCodec *codec, int channels, AVChannelLayout &layout) {
  av_channel_layout_default(&layout, channels);
  if (!codec->ch_layouts) return;
  for (const AVChannelLayout *l = codec->ch_layouts; l->nb_channels; ++l)
    if (!av_channel_layout_compare(l, &layout)) return;
  av_channel_layout_uninit(&layout);
  layout = AV_CHANNEL_LAYOUT_STEREO;
}

}  // namespace

void AudioEncoder::FifoDeleter::operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); }

AudioEncoder::AudioEncoder(const AVCodec *codec, int sampleRate, int channels, bool globalHeader) {
  ctx_.reset(avcodec_alloc_context3(codec));
  if (!ctx_) throw std::bad_alloc();
  AVCodecContext *a = ctx_.get();
  a->sample_fmt = SampleFormatFor(codec);
  a->sample_rate = SampleRateFor(codec, sampleRate);
  SetLayoutFor(codec, channels, a->ch_layout);
  a->time_base = {1, a->sample_rate};
  if (globalHeader) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Check(avcodec_open2(a, codec, nullptr), (std::string("cannot open the sound encoder ") + codec->name).c_str());

  AVChannelLayout in;
  av_channel_layout_default(&in, channels);
  SwrContext *swr = nullptr;
  Check(swr_alloc_set_opts2(&swr, &a->ch_layout, a->sample_fmt, a->sample_rate, &in, AV_SAMPLE_FMT_FLTP, sampleRate,
                            0, nullptr),
        "sound conversion");
  swr_.reset(swr);
  Check(swr_init(swr), "sound conversion");
  fifo_.reset(av_audio_fifo_alloc(a->sample_fmt, a->ch_layout.nb_channels, 4096));
  if (!fifo_) throw std::bad_alloc();
}

AudioEncoder::~AudioEncoder() = default;

// count input samples (none: what the resampler still holds) into the queue.
void AudioEncoder::Resample(const std::uint8_t *const *in, int count) {
  const int room = swr_get_out_samples(swr_.get(), count);
  if (room <= 0) return;
  Check(av_audio_fifo_realloc(fifo_.get(), av_audio_fifo_size(fifo_.get()) + room), "sound buffer");
  FramePtr chunk = NewFrame();
  chunk->format = ctx_->sample_fmt;
  chunk->nb_samples = room;
  Check(av_channel_layout_copy(&chunk->ch_layout, &ctx_->ch_layout), "sound buffer");
  Check(av_frame_get_buffer(chunk.get(), 0), "sound buffer");
  const int got = Check(swr_convert(swr_.get(), chunk->extended_data, room, const_cast<const std::uint8_t **>(in),
                                    count),
                        "sound conversion");
  av_audio_fifo_write(fifo_.get(), reinterpret_cast<void **>(chunk->extended_data), got);
}

void AudioEncoder::Send(const AudioBlock &samples, const PacketSink &sink) {
  if (samples.samples <= 0) return;
  std::vector<const std::uint8_t *> in(samples.channels);
  for (int c = 0; c < samples.channels; ++c) in[c] = reinterpret_cast<const std::uint8_t *>(samples.Plane(c));
  Resample(in.data(), samples.samples);
  Encode(false, sink);
}

void AudioEncoder::Flush(const PacketSink &sink) {
  Resample(nullptr, 0);
  Encode(true, sink);
  Check(avcodec_send_frame(ctx_.get(), nullptr), "sound encoding failed");
  Drain(sink);
}

void AudioEncoder::Drain(const PacketSink &sink) {
  while (avcodec_receive_packet(ctx_.get(), packet_.get()) == 0) sink(packet_.get());
}

// Whole encoder frames from the queue; when flushing, the rest as a last one.
void AudioEncoder::Encode(bool flushing, const PacketSink &sink) {
  AVCodecContext *a = ctx_.get();
  const bool anySize = (a->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || a->frame_size <= 0;
  const int frameSize = anySize ? 1024 : a->frame_size;
  while (av_audio_fifo_size(fifo_.get()) >= frameSize || (flushing && av_audio_fifo_size(fifo_.get()) > 0)) {
    const int n = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
    av_frame_unref(frame_.get());
    frame_->format = a->sample_fmt;
    frame_->nb_samples = n;
    frame_->sample_rate = a->sample_rate;
    Check(av_channel_layout_copy(&frame_->ch_layout, &a->ch_layout), "sound buffer");
    Check(av_frame_get_buffer(frame_.get(), 0), "sound buffer");
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void **>(frame_->extended_data), n);
    frame_->pts = samplesOut_;
    samplesOut_ += n;
    Check(avcodec_send_frame(a, frame_.get()), "sound encoding failed");
    Drain(sink);
  }
}

}  // namespace zv::media
