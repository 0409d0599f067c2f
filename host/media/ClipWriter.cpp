#include "media/ClipWriter.h"

#include <unistd.h>

#include <stdexcept>

#include "media/AudioEncoder.h"
#include "media/Containers.h"
#include "media/Pictures.h"
#include "media/TempFile.h"
#include "media/VideoEncoder.h"

namespace zv::media {

namespace {

// Encoded or copied video and encoded sound, muxed into one container.
class MuxedWriter final : public ClipWriter {
 public:
  MuxedWriter(const WriterSettings &settings, const WriterExtras &extras, const Container &container);
  ~MuxedWriter() override { Abandon(); }
  void DoWriteFrame(const ArgbView &frame) override;
  void DoWriteAudio(const AudioBlock &samples) override;
  void DoFinish() override;
  void Abandon() override;
  void DoWriteVideoPacket(AVPacket *packet) override;
  std::string VideoCodecName() const override {
    return video_ ? video_->Context()->codec->name : avcodec_get_name(videoStream_->codecpar->codec_id);
  }

 private:
  struct OutputDeleter {
    void operator()(AVFormatContext *f) const { avformat_free_context(f); }
  };

  void AddVideo(const WriterExtras &extras);
  void AddAudio(const Container &container);
  void Open();
  void DrainVideo();
  void Write(AVPacket *packet, AVRational from, AVStream *stream);
  void CheckWrites() const;
  bool GlobalHeader() const { return output_->oformat->flags & AVFMT_GLOBALHEADER; }

  WriterSettings settings_;
  std::string temp_;
  std::unique_ptr<AVFormatContext, OutputDeleter> output_;
  std::unique_ptr<VideoEncoder> video_;
  AVStream *videoStream_ = nullptr;
  std::int64_t frames_ = 0;  // encoded so far, the next frame's time
  std::unique_ptr<AudioEncoder> audio_;
  AVStream *audioStream_ = nullptr;
  AudioEncoder::PacketSink audioSink_;
  PacketPtr packet_ = NewPacket();
  bool done_ = false;
};

MuxedWriter::MuxedWriter(const WriterSettings &settings, const WriterExtras &extras, const Container &container)
    : ClipWriter(settings.path), settings_(settings), temp_(TempNameBeside(settings.path)) {
  AVFormatContext *out = nullptr;
  Check(avformat_alloc_output_context2(&out, nullptr, container.format, settings.path.c_str()), "output set-up");
  output_.reset(out);
  AddVideo(extras);
  if (!extras.comment.empty()) av_dict_set(&out->metadata, "comment", extras.comment.c_str(), 0);
  if (settings.sampleRate > 0 && settings.channels > 0) AddAudio(container);
  Open();
}

void MuxedWriter::AddVideo(const WriterExtras &extras) {
  videoStream_ = avformat_new_stream(output_.get(), nullptr);
  if (!videoStream_) throw std::bad_alloc();
  videoStream_->avg_frame_rate = settings_.frameRate;
  if (extras.copyVideo) {
    videoStream_->time_base = av_inv_q(settings_.frameRate);
    Check(avcodec_parameters_copy(videoStream_->codecpar, extras.copyVideo), "video stream set-up");
    videoStream_->codecpar->codec_tag = 0;  // the source container's tag may mean nothing here
    return;
  }
  const AVCodec *codec = VideoCodecFor(output_->oformat, settings_.videoCodec);
  video_ = std::make_unique<VideoEncoder>(codec, settings_.width, settings_.height, settings_.frameRate,
                                          GlobalHeader());
  videoStream_->time_base = video_->Context()->time_base;
  Check(avcodec_parameters_from_context(videoStream_->codecpar, video_->Context()), "video stream set-up");
}

void MuxedWriter::AddAudio(const Container &container) {
  const AVCodec *codec = avcodec_find_encoder_by_name(container.audioCodec);
  if (!codec) codec = avcodec_find_encoder(output_->oformat->audio_codec);
  if (!codec) throw MediaError("no sound encoder for this container");
  audio_ = std::make_unique<AudioEncoder>(codec, settings_.sampleRate, settings_.channels, GlobalHeader());
  audioStream_ = avformat_new_stream(output_.get(), nullptr);
  if (!audioStream_) throw std::bad_alloc();
  audioStream_->time_base = audio_->Context()->time_base;
  Check(avcodec_parameters_from_context(audioStream_->codecpar, audio_->Context()), "sound stream set-up");
  audioSink_ = [this](AVPacket *p) { Write(p, audio_->Context()->time_base, audioStream_); };
}

// The temporary file and the container's header.
void MuxedWriter::Open() {
  AVFormatContext *out = output_.get();
  RegisterTempFile(temp_);
  const int opened = avio_open(&out->pb, temp_.c_str(), AVIO_FLAG_WRITE);
  if (opened < 0) {
    UnregisterTempFile(temp_);
    done_ = true;
    throw MediaError("cannot write: " + AvErrorText(opened));
  }
  const int header = avformat_write_header(out, nullptr);
  // Out to the disk now, so a full one is told as such before any frame.
  if (header >= 0) avio_flush(out->pb);
  const bool writeFailed = out->pb->error < 0;
  const int failed = header < 0 ? header : out->pb->error;
  if (failed < 0) {
    Abandon();
    if (writeFailed || IsFileSystemError(failed)) throw MediaError("cannot write: " + AvErrorText(failed));
    throw MediaError("a " + Extension(settings_.path) + " file cannot hold " + VideoCodecName() + " video (" +
                     AvErrorText(failed) + ")");
  }
}

void MuxedWriter::Write(AVPacket *packet, AVRational from, AVStream *stream) {
  packet->stream_index = stream->index;
  av_packet_rescale_ts(packet, from, stream->time_base);
  Check(av_interleaved_write_frame(output_.get(), packet), "writing failed");
}

// A write the muxer made on its own (an index, a flush) fails here, not at the end.
void MuxedWriter::CheckWrites() const {
  if (output_->pb->error < 0) throw MediaError("writing failed: " + AvErrorText(output_->pb->error));
}

void MuxedWriter::DrainVideo() {
  while (video_->Receive(packet_.get())) Write(packet_.get(), video_->Context()->time_base, videoStream_);
}

void MuxedWriter::DoWriteFrame(const ArgbView &frame) {
  video_->Send(frame, frames_++);
  DrainVideo();
  CheckWrites();
}

void MuxedWriter::DoWriteVideoPacket(AVPacket *packet) {
  if (video_) throw std::logic_error("coded video given to an encoding writer");
  Write(packet, av_inv_q(settings_.frameRate), videoStream_);
  CheckWrites();
}

void MuxedWriter::DoWriteAudio(const AudioBlock &samples) {
  if (audio_) audio_->Send(samples, audioSink_);
}

void MuxedWriter::DoFinish() {
  if (done_) return;
  try {
    if (video_) {
      video_->Flush();
      DrainVideo();
    }
    if (audio_) audio_->Flush(audioSink_);
    Check(av_write_trailer(output_.get()), "writing failed");
    const int closed = avio_closep(&output_->pb);
    if (closed < 0) throw MediaError("writing failed: " + AvErrorText(closed));
    RenameInto(temp_, settings_.path);
    done_ = true;
  } catch (...) {
    Abandon();
    throw;
  }
}

void MuxedWriter::Abandon() {
  if (done_) return;
  done_ = true;
  if (output_ && output_->pb) avio_closep(&output_->pb);
  unlink(temp_.c_str());
  UnregisterTempFile(temp_);
}

EncoderFacts FactsOf(const WriterSettings &settings) {
  const Container *container = ContainerFor(settings.path);
  if (!container) return {};
  const AVOutputFormat *format = container->Format();
  const AVCodec *codec = VideoCodecFor(format, settings.videoCodec);
  // Only an opened encoder knows its reordering.
  const VideoEncoder encoder(codec, settings.width, settings.height, settings.frameRate,
                             format->flags & AVFMT_GLOBALHEADER);
  return {codec->name, encoder.Context()->has_b_frames};
}

std::unique_ptr<ClipWriter> Open(const WriterSettings &settings, const WriterExtras &extras) {
  if (settings.width <= 0 || settings.height <= 0) throw MediaError("empty picture size");
  const Container *container = ContainerFor(settings.path);
  RemoveStaleTempFiles(settings.path);
  if (!container) return OpenPictureSequence(settings);
  return std::make_unique<MuxedWriter>(settings, extras, *container);
}

void CheckSize(const WriterSettings &settings) {
  if (settings.width <= 0 || settings.height <= 0) throw MediaError("empty picture size");
  const Container *container = ContainerFor(settings.path);
  if (!container) return CheckPictureSize(settings.width, settings.height);
  const AVOutputFormat *format = container->Format();
  CheckEncoderTakes(VideoCodecFor(format, settings.videoCodec), settings.width, settings.height, settings.frameRate,
                    format->flags & AVFMT_GLOBALHEADER);
}

}  // namespace

EncoderFacts VideoEncoderFacts(const WriterSettings &settings) {
  return InFile(settings.path, [&] { return FactsOf(settings); });
}

std::unique_ptr<ClipWriter> OpenClipWriter(const WriterSettings &settings, const WriterExtras &extras) {
  return InFile(settings.path, [&] { return Open(settings, extras); });
}

void CheckOutputSize(const WriterSettings &settings) {
  InFile(settings.path, [&] { CheckSize(settings); });
}

}  // namespace zv::media
