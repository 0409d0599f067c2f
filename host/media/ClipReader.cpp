#include "media/ClipReader.h"

#include <algorithm>

extern "C" {
#include <libavutil/mathematics.h>
}

#include "media/FrameLimits.h"
#include "media/InputChecks.h"

namespace zv::media {

namespace {

// Frames decoded forward rather than seeking, for a jump ahead.
constexpr std::int64_t kForwardWindow = 48;
// Frames in a row that fail to decode before the clip counts as unreadable.
constexpr int kMaxDecodeFailures = 1000;

}  // namespace

ClipReader::ClipReader(const std::string &path) : path_(path), packet_(NewPacket()) {
  InFile(path_, [&] { Open(); });
}

void ClipReader::Open() {
  OpenInput();
  const AVRational guessed = av_guess_frame_rate(input_.get(), stream_, nullptr);
  if (guessed.num > 0 && guessed.den > 0) info_.frameRate = av_inv_q(av_inv_q(guessed));  // reduced

  // Frame 0's time is that of the first frame that decodes: containers that
  // keep no presentation times (AVI with B-frames) disagree with the stream's
  // start time.
  auto first = DecodeNext();
  if (!first) throw MediaError("no frames: not one frame decodes");
  info_.width = first->frame->width;
  info_.height = first->frame->height;
  if (!FitsFrameLimits(info_.width, info_.height))
    throw MediaError("its frames of " + std::to_string(info_.width) + "x" + std::to_string(info_.height) +
                     " are too large (" + FrameLimitsText() + ")");
  cache_.Put(0, *first->frame);
  lastFrame_ = std::move(first->frame);
  lastFrameIndex_ = 0;

  info_.frameCount = CountFrames();
  const std::int64_t declared = DeclaredFrames();
  if (declared > info_.frameCount + 1)
    damage_ = "truncated or damaged from frame " + std::to_string(info_.frameCount) + " on: " +
              std::to_string(info_.frameCount) + " of " + std::to_string(declared) + " frames decode";
  if (damage_.empty() && EndsEarly())
    damage_ = "truncated or damaged: its streams end before the " +
              std::to_string(input_->duration / (AV_TIME_BASE / 1000)) + " ms it announces";
  if (info_.frameCount == 1) info_.frameRate = {30, 1};  // a still picture

  audio_ = AudioReader::Open(path_, input_->iformat, t0_ * av_q2d(stream_->time_base));
  if (audio_) {
    info_.sampleRate = audio_->SampleRate();
    info_.channels = audio_->Channels();
  }
}

ClipReader::~ClipReader() = default;

void ClipReader::OpenInput() {
  AVFormatContext *fmt = nullptr;
  const int opened = avformat_open_input(&fmt, path_.c_str(), nullptr, nullptr);
  if (opened < 0) throw MediaError(OpenFailureText(path_, opened));
  input_.reset(fmt);
  // Before any trial decoding: a header may declare frames no memory holds.
  CheckDeclaredSizes(*fmt);
  StreamLimits limits(*fmt);
  const int found = avformat_find_stream_info(fmt, limits.Get());
  if (found < 0) throw MediaError(DamageText(*fmt, found));
  CheckDeclaredSizes(*fmt);
  const AVCodec *codec = nullptr;
  const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index == AVERROR_STREAM_NOT_FOUND) throw MediaError("not a video: no picture stream");
  if (index < 0 || !codec) throw MediaError("no decoder for its video");
  for (unsigned i = 0; i < fmt->nb_streams; ++i)
    if (static_cast<int>(i) != index) fmt->streams[i]->discard = AVDISCARD_ALL;
  stream_ = fmt->streams[index];

  decoder_.reset(avcodec_alloc_context3(codec));
  if (!decoder_) throw std::bad_alloc();
  Check(avcodec_parameters_to_context(decoder_.get(), stream_->codecpar), "video decoder set-up");
  decoder_->pkt_timebase = stream_->time_base;
  decoder_->thread_count = 0;
  decoder_->max_pixels = kMaxFramePixels;
  Check(avcodec_open2(decoder_.get(), codec, nullptr), "cannot open the video decoder");
  demuxDone_ = decoderFlushed_ = false;
  acceptNonKey_ = true;
  lastTs_ = AV_NOPTS_VALUE;
}

std::int64_t ClipReader::IndexOf(const AVFrame &frame) {
  std::int64_t ts = frame.best_effort_timestamp;
  if (ts == AV_NOPTS_VALUE) {
    // An untimed frame (the last one of some files) follows the one before.
    if (lastTs_ != AV_NOPTS_VALUE)
      ts = lastTs_ + av_rescale_q(1, av_inv_q(info_.frameRate), stream_->time_base);
    else if (!haveT0_)
      ts = 0;
    else
      return -1;
  }
  if (!haveT0_) {
    t0_ = ts;
    haveT0_ = true;
  }
  lastTs_ = ts;
  return av_rescale_q_rnd(ts - t0_, stream_->time_base, av_inv_q(info_.frameRate), AV_ROUND_NEAR_INF);
}

std::optional<ClipReader::Decoded> ClipReader::DecodeNext() {
  FramePtr frame = NewFrame();
  int failures = 0;
  for (;;) {
    const int r = avcodec_receive_frame(decoder_.get(), frame.get());
    if (r == 0) {
      // After a seek, frames before the first key frame may be built on
      // references the decoder never saw.
      if (!acceptNonKey_ && !frame->key_frame) {
        av_frame_unref(frame.get());
        continue;
      }
      acceptNonKey_ = true;
      ++stats_.framesDecoded;
      const std::int64_t index = IndexOf(*frame);
      if (index < 0) {
        av_frame_unref(frame.get());
        continue;
      }
      return Decoded{index, std::move(frame)};
    }
    if (r == AVERROR_EOF) {
      demuxDone_ = true;
      return std::nullopt;
    }
    if (r != AVERROR(EAGAIN)) {
      // A frame that does not decode (a damaged or cut packet): the frames
      // around it still may.
      if (++failures > kMaxDecodeFailures) throw MediaError("video decoding failed: " + AvErrorText(r));
      if (damage_.empty()) damage_ = "damaged: a frame does not decode (" + AvErrorText(r) + ")";
      continue;
    }
    if (decoderFlushed_) {
      demuxDone_ = true;
      return std::nullopt;
    }
    const int read = av_read_frame(input_.get(), packet_.get());
    if (read < 0) {
      if (read != AVERROR_EOF && damage_.empty()) damage_ = "damaged: " + AvErrorText(read);
      avcodec_send_packet(decoder_.get(), nullptr);
      decoderFlushed_ = true;
      continue;
    }
    // A damaged packet is refused: go on with the next.
    if (packet_->stream_index == stream_->index) avcodec_send_packet(decoder_.get(), packet_.get());
    av_packet_unref(packet_.get());
  }
}

bool ClipReader::SeekTo(std::int64_t ts) {
  ++stats_.seeks;
  if (av_seek_frame(input_.get(), stream_->index, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(decoder_.get());
  demuxDone_ = decoderFlushed_ = false;
  acceptNonKey_ = false;
  lastTs_ = AV_NOPTS_VALUE;
  lastFrame_.reset();
  lastFrameIndex_ = -1;
  return true;
}

void ClipReader::Reopen() {
  ++stats_.reopens;
  decoder_.reset();
  input_.reset();
  OpenInput();
  lastFrame_.reset();
  lastFrameIndex_ = -1;
}

void ClipReader::Consume(Decoded &d) {
  cache_.Put(d.index, *d.frame);
  if (d.index >= lastFrameIndex_) {
    lastFrame_ = std::move(d.frame);
    lastFrameIndex_ = d.index;
  }
}

void ClipReader::SeekBefore(std::int64_t index) {
  const AVRational frameTime = av_inv_q(info_.frameRate);
  const std::int64_t target = t0_ + av_rescale_q(index, frameTime, stream_->time_base);
  std::int64_t back = 0;  // frames
  for (int attempt = 0; attempt < kSeekAttempts; ++attempt) {
    const std::int64_t ts = target - av_rescale_q(back, frameTime, stream_->time_base);
    if (ts < t0_ || !SeekTo(ts)) break;
    auto d = DecodeNext();
    if (d && d->index <= index) {
      Consume(*d);
      return;
    }
    // Landed past the target (a key frame found by its decoding time, say):
    // go further back.
    back = back ? back * 2 : std::max<std::int64_t>(16, av_q2d(info_.frameRate));
  }
  Reopen();
}

const AVFrame *ClipReader::Find(std::int64_t index) {
  if (const AVFrame *f = cache_.Get(index)) return f;
  const bool readOn = lastFrameIndex_ >= 0 && index > lastFrameIndex_ && index - lastFrameIndex_ <= kForwardWindow &&
                      !demuxDone_;
  if (!readOn) SeekBefore(index);
  if (const AVFrame *f = cache_.Get(index)) return f;
  while (auto d = DecodeNext()) {
    if (d->index > index && lastFrameIndex_ >= 0 && lastFrameIndex_ < index) {
      // No frame carries this index (a dropped frame): the one before stands in.
      cache_.Put(index, *lastFrame_);
      Consume(*d);
      return cache_.Get(index);
    }
    Consume(*d);
    if (const AVFrame *f = cache_.Get(index)) return f;
  }
  return nullptr;
}

void ClipReader::ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) {
  InFile(path_, [&] { Read(index, target, quality); });
}

void ClipReader::Read(std::int64_t index, const ArgbView &target, Quality quality) {
  if (index < 0 || index >= info_.frameCount)
    throw MediaError("frame " + std::to_string(index) + " is outside the clip (0 to " +
                     std::to_string(info_.frameCount - 1) + ")");
  const AVFrame *frame = Find(index);
  if (!frame) throw MediaError("frame " + std::to_string(index) + " does not decode" +
                               (damage_.empty() ? "" : " (" + damage_ + ")"));
  converter_.ToArgb(*frame, target, quality);
}

void ClipReader::MixAudio(std::int64_t first, AudioBlock &out, float gain) {
  if (audio_) InFile(path_, [&] { audio_->Mix(first, out, gain); });
}

}  // namespace zv::media
