#include "media/AudioReader.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

#include "media/InputChecks.h"

namespace zv::media {

std::unique_ptr<AudioReader> AudioReader::Open(const std::string &path, const AVInputFormat *format,
                                               double originSeconds) {
  std::unique_ptr<AudioReader> reader(new AudioReader(path, format, originSeconds));
  if (!reader->OpenInput()) return nullptr;
  return reader;
}

AudioReader::AudioReader(const std::string &path, const AVInputFormat *format, double originSeconds)
    : path_(path), format_(format), origin_(originSeconds), packet_(NewPacket()), frame_(NewFrame()) {}

bool AudioReader::OpenInput() {
  AVFormatContext *fmt = nullptr;
  Check(avformat_open_input(&fmt, path_.c_str(), format_, nullptr), "cannot open");
  input_.reset(fmt);
  StreamLimits limits(*fmt);
  Check(avformat_find_stream_info(fmt, limits.Get()), "cannot read stream information");
  const AVCodec *codec = nullptr;
  const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (index == AVERROR_STREAM_NOT_FOUND) return false;
  if (index < 0 || !codec) throw MediaError("no decoder for its sound");
  for (unsigned i = 0; i < fmt->nb_streams; ++i)
    if (static_cast<int>(i) != index) fmt->streams[i]->discard = AVDISCARD_ALL;
  stream_ = fmt->streams[index];

  decoder_.reset(avcodec_alloc_context3(codec));
  if (!decoder_) throw std::bad_alloc();
  Check(avcodec_parameters_to_context(decoder_.get(), stream_->codecpar), "sound decoder set-up");
  decoder_->pkt_timebase = stream_->time_base;
  Check(avcodec_open2(decoder_.get(), codec, nullptr), "cannot open the sound decoder");
  if (decoder_->sample_rate <= 0 || decoder_->ch_layout.nb_channels <= 0) throw MediaError("sound without a rate");
  rate_ = decoder_->sample_rate;
  channels_ = decoder_->ch_layout.nb_channels;
  buf_.assign(channels_, {});
  havePosition_ = false;
  atSoundStart_ = true;
  swr_.reset();
  swrFormat_ = -1;
  eof_ = flushed_ = false;
  return true;
}

void AudioReader::Append(const AVFrame &frame) {
  if (!havePosition_) {
    const std::int64_t pts = frame.best_effort_timestamp;
    const double seconds = pts == AV_NOPTS_VALUE ? origin_ : pts * av_q2d(stream_->time_base);
    bufStart_ = std::llround((seconds - origin_) * rate_);
    havePosition_ = true;
  }
  if (!swr_ || swrFormat_ != frame.format) {
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels_);
    SwrContext *swr = nullptr;
    Check(swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_FLTP, rate_, &layout,
                              static_cast<AVSampleFormat>(frame.format), rate_, 0, nullptr),
          "sound conversion");
    swr_.reset(swr);
    Check(swr_init(swr), "sound conversion");
    swrFormat_ = frame.format;
  }
  if (frame.ch_layout.nb_channels != channels_) throw MediaError("the sound changes its channels");
  const int n = frame.nb_samples;
  std::vector<uint8_t *> planes(channels_);
  const std::size_t old = buf_[0].size();
  for (int c = 0; c < channels_; ++c) {
    buf_[c].resize(old + n);
    planes[c] = reinterpret_cast<uint8_t *>(buf_[c].data() + old);
  }
  const int got = swr_convert(swr_.get(), planes.data(), n, const_cast<const uint8_t **>(frame.extended_data), n);
  for (int c = 0; c < channels_; ++c) buf_[c].resize(old + std::max(got, 0));
}

bool AudioReader::DecodeMore() {
  for (;;) {
    const int r = avcodec_receive_frame(decoder_.get(), frame_.get());
    if (r == 0) {
      Append(*frame_);
      av_frame_unref(frame_.get());
      return true;
    }
    if (r == AVERROR_EOF) {
      eof_ = true;
      return false;
    }
    if (r != AVERROR(EAGAIN)) throw MediaError("sound decoding failed: " + AvErrorText(r));
    if (flushed_) {
      eof_ = true;
      return false;
    }
    if (av_read_frame(input_.get(), packet_.get()) < 0) {
      avcodec_send_packet(decoder_.get(), nullptr);
      flushed_ = true;
      continue;
    }
    if (packet_->stream_index == stream_->index) avcodec_send_packet(decoder_.get(), packet_.get());  // a bad packet is skipped
    av_packet_unref(packet_.get());
  }
}

void AudioReader::DropBefore(std::int64_t first) {
  const std::int64_t drop = std::clamp<std::int64_t>(first - bufStart_, 0, BufferEnd() - bufStart_);
  if (drop <= 0) return;
  for (auto &b : buf_) b.erase(b.begin(), b.begin() + drop);
  bufStart_ += drop;
  atSoundStart_ = false;
}

void AudioReader::Mix(std::int64_t first, AudioBlock &out, float gain) {
  // Going back means reading from the beginning again: positions taken from a
  // seek are only as exact as the container's timestamps, counting is exact.
  if (havePosition_ && first < bufStart_ && !atSoundStart_) OpenInput();
  const std::int64_t want = first + out.samples;
  while ((!havePosition_ || BufferEnd() < want) && !eof_) {
    DecodeMore();
    if (havePosition_) DropBefore(first);
  }
  if (!havePosition_) return;

  const std::int64_t from = std::max(first, bufStart_), to = std::min(want, BufferEnd());
  const int channels = std::min(out.channels, channels_);
  for (int c = 0; c < channels; ++c) {
    float *dst = out.Plane(c);
    for (std::int64_t s = from; s < to; ++s) dst[s - first] += gain * buf_[c][s - bufStart_];
  }
  DropBefore(first);
}

}  // namespace zv::media
