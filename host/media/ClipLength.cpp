// How long a clip file is: its frames counted by decoding to the end, and
// whether its streams reach the end its container announces.
#include <algorithm>

#include "media/ClipReader.h"

namespace zv::media {

std::int64_t ClipReader::CountFrames() {
  std::int64_t last = lastFrameIndex_;
  const AVRational frameTime = av_inv_q(info_.frameRate);
  std::int64_t duration = stream_->duration;
  if (duration == AV_NOPTS_VALUE && input_->duration > 0)
    duration = av_rescale_q(input_->duration, AV_TIME_BASE_Q, stream_->time_base);
  const bool seekable = input_->pb && (input_->pb->seekable & AVIO_SEEKABLE_NORMAL);
  if (duration != AV_NOPTS_VALUE && duration > 0 && seekable) {
    // Decode from the last key frame to the end; back off when nothing decodes there.
    std::int64_t back = 0;
    for (int attempt = 0; attempt < kSeekAttempts + 2; ++attempt) {
      const std::int64_t ts = t0_ + duration - av_rescale_q(back, frameTime, stream_->time_base);
      if (ts <= t0_ || !SeekTo(ts)) break;
      bool any = false;
      while (auto d = DecodeNext()) {
        any = true;
        last = std::max(last, d->index);
        Consume(*d);
      }
      if (any) return last + 1;
      back = back ? back * 2 : std::max<std::int64_t>(16, av_q2d(info_.frameRate));
    }
  }
  // No way to the end but reading everything.
  Reopen();
  while (auto d = DecodeNext()) {
    last = std::max(last, d->index);
    Consume(*d);
  }
  return last + 1;
}

bool ClipReader::EndsEarly() {
  // The container's duration against the last packet of any stream, so sound
  // lasting longer than the picture is no false alarm.
  AVFormatContext *in = input_.get();
  if (in->duration <= 0 || in->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return false;
  const std::int64_t last = LastPacketEnd();
  if (last == AV_NOPTS_VALUE) return true;
  const std::int64_t slack = std::max<std::int64_t>(AV_TIME_BASE / 5, av_rescale_q(2, av_inv_q(info_.frameRate),
                                                                                   AV_TIME_BASE_Q));
  // Some containers (Matroska) announce the time of their end rather than
  // a length from the start: a file that reaches either is whole.
  const std::int64_t start = in->start_time == AV_NOPTS_VALUE ? 0 : in->start_time;
  return last < start + in->duration - slack && last < in->duration - slack;
}

// The end of the last packet of any stream, in AV_TIME_BASE, read through the
// clip's own demuxer with every stream let through for the while; none when
// the clip cannot be read there. Frames are found by seeking afterwards.
std::int64_t ClipReader::LastPacketEnd() {
  AVFormatContext *in = input_.get();
  const std::int64_t start = in->start_time == AV_NOPTS_VALUE ? 0 : in->start_time;
  const std::int64_t from = std::max(start, start + in->duration - 3 * AV_TIME_BASE);
  for (unsigned i = 0; i < in->nb_streams; ++i) in->streams[i]->discard = AVDISCARD_DEFAULT;
  std::int64_t last = AV_NOPTS_VALUE;
  if (avformat_seek_file(in, -1, INT64_MIN, from, from, 0) >= 0) {
    while (av_read_frame(in, packet_.get()) >= 0) {
      const AVStream *st = in->streams[packet_->stream_index];
      std::int64_t ts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
      if (ts != AV_NOPTS_VALUE) {
        ts = av_rescale_q(ts + std::max<std::int64_t>(packet_->duration, 0), st->time_base, AV_TIME_BASE_Q);
        last = last == AV_NOPTS_VALUE ? ts : std::max(last, ts);
      }
      av_packet_unref(packet_.get());
    }
  }
  for (unsigned i = 0; i < in->nb_streams; ++i)
    if (in->streams[i] != stream_) in->streams[i]->discard = AVDISCARD_ALL;
  demuxDone_ = true;  // the next frame is found by seeking
  return last;
}

std::int64_t ClipReader::DeclaredFrames() const {
  if (stream_->nb_frames > 0) return stream_->nb_frames;
  if (stream_->duration != AV_NOPTS_VALUE && stream_->duration > 0)
    return av_rescale_q_rnd(stream_->duration, stream_->time_base, av_inv_q(info_.frameRate), AV_ROUND_NEAR_INF);
  return 0;
}

}  // namespace zv::media
