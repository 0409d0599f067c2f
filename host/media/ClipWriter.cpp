#include "media/ClipWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <vector>

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include "media/FFmpeg.h"
#include "media/TempFile.h"
#include "media/VideoEncoder.h"

namespace zv::media {

namespace {

std::string Extension(const std::string &path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

struct Container {
  const char *extension;
  const char *format;
  const char *audioCodec;
};
// Sound stays lossless where the container allows it, so a render keeps it.
constexpr Container kContainers[] = {{".mp4", "mp4", "aac"},
                                     {".mov", "mov", "aac"},
                                     {".mkv", "matroska", "flac"},
                                     {".nut", "nut", "pcm_s16le"},
                                     {".avi", "avi", "pcm_s16le"}};

const AVCodec *VideoCodecFor(const AVOutputFormat *format, const std::string &wanted) {
  if (!wanted.empty()) {
    const AVCodec *codec = avcodec_find_encoder_by_name(wanted.c_str());
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) throw MediaError("unknown video encoder '" + wanted + "'");
    return codec;
  }
  // The container's usual encoder, H.264 through libx264 where there is one.
  const AVCodec *codec = nullptr;
  if (format->video_codec == AV_CODEC_ID_H264) codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) codec = avcodec_find_encoder(format->video_codec);
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) throw MediaError("no video encoder for this container");
  return codec;
}

class MuxedWriter final : public ClipWriter {
 public:
  MuxedWriter(const WriterSettings &settings, const WriterExtras &extras, const Container &container);
  ~MuxedWriter() override { Abandon(); }
  void WriteFrame(const ArgbView &frame) override;
  void WriteAudio(const AudioBlock &samples) override;
  void Finish() override;
  void Abandon() override;
  void WriteVideoPacket(AVPacket *packet) override;
  std::string VideoCodecName() const override {
    return video_ ? video_->Context()->codec->name : avcodec_get_name(videoStream_->codecpar->codec_id);
  }

 private:
  struct OutputDeleter {
    void operator()(AVFormatContext *f) const { avformat_free_context(f); }
  };
  struct FifoDeleter {
    void operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); }
  };

  void OpenAudio(const Container &container);
  void DrainVideo();
  void EncodeAudio(bool flushing);
  void Write(AVPacket *packet, AVRational from, AVStream *stream);

  WriterSettings settings_;
  std::string temp_;
  std::unique_ptr<AVFormatContext, OutputDeleter> output_;
  std::unique_ptr<VideoEncoder> video_;
  AVStream *videoStream_ = nullptr;
  std::int64_t frames_ = 0;

  CodecContextPtr audio_;
  AVStream *audioStream_ = nullptr;
  SwrPtr swr_;
  std::unique_ptr<AVAudioFifo, FifoDeleter> fifo_;
  FramePtr audioFrame_;
  std::int64_t samplesOut_ = 0;

  PacketPtr packet_ = NewPacket();
  bool headerWritten_ = false;
  bool done_ = false;
};

MuxedWriter::MuxedWriter(const WriterSettings &settings, const WriterExtras &extras, const Container &container)
    : settings_(settings), temp_(TempNameBeside(settings.path)) {
  AVFormatContext *out = nullptr;
  Check(avformat_alloc_output_context2(&out, nullptr, container.format, settings.path.c_str()), "output set-up");
  output_.reset(out);
  videoStream_ = avformat_new_stream(out, nullptr);
  if (!videoStream_) throw std::bad_alloc();
  videoStream_->avg_frame_rate = settings.frameRate;
  if (extras.copyVideo) {
    videoStream_->time_base = av_inv_q(settings.frameRate);
    Check(avcodec_parameters_copy(videoStream_->codecpar, extras.copyVideo), "video stream set-up");
    videoStream_->codecpar->codec_tag = 0;  // the source container's tag may mean nothing here
  } else {
    const AVCodec *codec = VideoCodecFor(out->oformat, settings.videoCodec);
    video_ = std::make_unique<VideoEncoder>(codec, settings.width, settings.height, settings.frameRate,
                                            out->oformat->flags & AVFMT_GLOBALHEADER);
    videoStream_->time_base = video_->Context()->time_base;
    Check(avcodec_parameters_from_context(videoStream_->codecpar, video_->Context()), "video stream set-up");
  }
  if (!extras.comment.empty()) av_dict_set(&out->metadata, "comment", extras.comment.c_str(), 0);
  if (settings.sampleRate > 0 && settings.channels > 0) OpenAudio(container);

  RegisterTempFile(temp_);
  const int opened = avio_open(&out->pb, temp_.c_str(), AVIO_FLAG_WRITE);
  if (opened < 0) {
    UnregisterTempFile(temp_);
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
    throw MediaError("a " + Extension(settings.path) + " file cannot hold " + VideoCodecName() + " video (" +
                     AvErrorText(failed) + ")");
  }
  headerWritten_ = true;
}

void MuxedWriter::OpenAudio(const Container &container) {
  const AVCodec *codec = avcodec_find_encoder_by_name(container.audioCodec);
  if (!codec) codec = avcodec_find_encoder(output_->oformat->audio_codec);
  if (!codec) throw MediaError("no sound encoder for this container");
  audio_.reset(avcodec_alloc_context3(codec));
  if (!audio_) throw std::bad_alloc();
  AVCodecContext *a = audio_.get();
  a->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  if (codec->sample_fmts)
    for (const AVSampleFormat *f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
      if (*f == AV_SAMPLE_FMT_FLTP) a->sample_fmt = *f;
  a->sample_rate = settings_.sampleRate;
  if (codec->supported_samplerates) {
    // The nearest rate the encoder takes; the sound is resampled to it.
    int best = codec->supported_samplerates[0];
    for (const int *r = codec->supported_samplerates; *r; ++r)
      if (std::abs(*r - settings_.sampleRate) < std::abs(best - settings_.sampleRate)) best = *r;
    a->sample_rate = best;
  }
  av_channel_layout_default(&a->ch_layout, settings_.channels);
  if (codec->ch_layouts) {
    bool found = false;
    for (const AVChannelLayout *l = codec->ch_layouts; l->nb_channels; ++l)
      if (!av_channel_layout_compare(l, &a->ch_layout)) found = true;
    if (!found) {
      av_channel_layout_uninit(&a->ch_layout);
      a->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    }
  }
  a->time_base = {1, a->sample_rate};
  if (output_->oformat->flags & AVFMT_GLOBALHEADER) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  Check(avcodec_open2(a, codec, nullptr), (std::string("cannot open the sound encoder ") + codec->name).c_str());

  audioStream_ = avformat_new_stream(output_.get(), nullptr);
  if (!audioStream_) throw std::bad_alloc();
  audioStream_->time_base = a->time_base;
  Check(avcodec_parameters_from_context(audioStream_->codecpar, a), "sound stream set-up");

  AVChannelLayout in;
  av_channel_layout_default(&in, settings_.channels);
  SwrContext *swr = nullptr;
  Check(swr_alloc_set_opts2(&swr, &a->ch_layout, a->sample_fmt, a->sample_rate, &in, AV_SAMPLE_FMT_FLTP,
                            settings_.sampleRate, 0, nullptr),
        "sound conversion");
  swr_.reset(swr);
  Check(swr_init(swr), "sound conversion");
  fifo_.reset(av_audio_fifo_alloc(a->sample_fmt, a->ch_layout.nb_channels, 4096));
  if (!fifo_) throw std::bad_alloc();
  audioFrame_ = NewFrame();
}

void MuxedWriter::Write(AVPacket *packet, AVRational from, AVStream *stream) {
  packet->stream_index = stream->index;
  av_packet_rescale_ts(packet, from, stream->time_base);
  Check(av_interleaved_write_frame(output_.get(), packet), "writing failed");
}

void MuxedWriter::DrainVideo() {
  while (video_->Receive(packet_.get())) Write(packet_.get(), video_->Context()->time_base, videoStream_);
}

void MuxedWriter::WriteFrame(const ArgbView &frame) {
  video_->Send(frame, frames_++);
  DrainVideo();
  // A write the muxer made on its own (an index, a flush) fails here, not at the end.
  if (output_->pb->error < 0) throw MediaError("writing failed: " + AvErrorText(output_->pb->error));
}

void MuxedWriter::WriteVideoPacket(AVPacket *packet) {
  if (video_) throw std::logic_error("coded video given to an encoding writer");
  Write(packet, av_inv_q(settings_.frameRate), videoStream_);
  ++frames_;
  if (output_->pb->error < 0) throw MediaError("writing failed: " + AvErrorText(output_->pb->error));
}

void MuxedWriter::WriteAudio(const AudioBlock &samples) {
  if (!audio_ || samples.samples <= 0) return;
  std::vector<const uint8_t *> in(samples.channels);
  for (int c = 0; c < samples.channels; ++c) in[c] = reinterpret_cast<const uint8_t *>(samples.Plane(c));
  const int room = swr_get_out_samples(swr_.get(), samples.samples);
  Check(av_audio_fifo_realloc(fifo_.get(), av_audio_fifo_size(fifo_.get()) + room), "sound buffer");
  FramePtr chunk = NewFrame();
  chunk->format = audio_->sample_fmt;
  chunk->nb_samples = room;
  Check(av_channel_layout_copy(&chunk->ch_layout, &audio_->ch_layout), "sound buffer");
  Check(av_frame_get_buffer(chunk.get(), 0), "sound buffer");
  const int got = Check(swr_convert(swr_.get(), chunk->extended_data, room, in.data(), samples.samples),
                        "sound conversion");
  av_audio_fifo_write(fifo_.get(), reinterpret_cast<void **>(chunk->extended_data), got);
  EncodeAudio(false);
}

void MuxedWriter::EncodeAudio(bool flushing) {
  AVCodecContext *a = audio_.get();
  const bool anySize = (a->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || a->frame_size <= 0;
  const int frameSize = anySize ? 1024 : a->frame_size;
  while (av_audio_fifo_size(fifo_.get()) >= frameSize || (flushing && av_audio_fifo_size(fifo_.get()) > 0)) {
    const int n = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
    av_frame_unref(audioFrame_.get());
    audioFrame_->format = a->sample_fmt;
    audioFrame_->nb_samples = n;
    audioFrame_->sample_rate = a->sample_rate;
    Check(av_channel_layout_copy(&audioFrame_->ch_layout, &a->ch_layout), "sound buffer");
    Check(av_frame_get_buffer(audioFrame_.get(), 0), "sound buffer");
    av_audio_fifo_read(fifo_.get(), reinterpret_cast<void **>(audioFrame_->extended_data), n);
    audioFrame_->pts = samplesOut_;
    samplesOut_ += n;
    Check(avcodec_send_frame(a, audioFrame_.get()), "sound encoding failed");
    while (avcodec_receive_packet(a, packet_.get()) == 0) Write(packet_.get(), a->time_base, audioStream_);
  }
}

void MuxedWriter::Finish() {
  if (done_) return;
  try {
    if (video_) {
      video_->Flush();
      DrainVideo();
    }
    if (audio_) {
      // What the resampler still holds, then the encoder's own delay.
      const int rest = swr_get_out_samples(swr_.get(), 0);
      if (rest > 0) {
        FramePtr chunk = NewFrame();
        chunk->format = audio_->sample_fmt;
        chunk->nb_samples = rest;
        Check(av_channel_layout_copy(&chunk->ch_layout, &audio_->ch_layout), "sound buffer");
        Check(av_frame_get_buffer(chunk.get(), 0), "sound buffer");
        const int got = Check(swr_convert(swr_.get(), chunk->extended_data, rest, nullptr, 0), "sound conversion");
        av_audio_fifo_write(fifo_.get(), reinterpret_cast<void **>(chunk->extended_data), got);
      }
      EncodeAudio(true);
      Check(avcodec_send_frame(audio_.get(), nullptr), "sound encoding failed");
      while (avcodec_receive_packet(audio_.get(), packet_.get()) == 0) Write(packet_.get(), audio_->time_base, audioStream_);
    }
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

// One PNG per frame, all renamed into place at the end.
class PictureSequenceWriter final : public ClipWriter {
 public:
  explicit PictureSequenceWriter(const WriterSettings &settings) : settings_(settings) {
    // Fail now, not after the first frame, when the folder cannot take files.
    const std::string probe = TempNameBeside(settings.path, -1);
    std::FILE *f = std::fopen(probe.c_str(), "wb");
    if (!f) throw MediaError("cannot write: " + std::string(std::strerror(errno)));
    std::fclose(f);
    unlink(probe.c_str());
    series_ = RegisterTempSeries(settings.path);
  }
  ~PictureSequenceWriter() override { Abandon(); }
  void WriteFrame(const ArgbView &frame) override;
  void WriteAudio(const AudioBlock &) override {}
  void WriteVideoPacket(AVPacket *) override { throw MediaError("pictures cannot take coded video"); }
  void Finish() override;
  void Abandon() override;
  std::string VideoCodecName() const override { return "png"; }

 private:
  WriterSettings settings_;
  std::vector<std::string> temps_;
  int series_ = -1;
  bool done_ = false;
};

std::vector<uint8_t> EncodePng(const ArgbView &image) {
  const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (!codec) throw MediaError("no PNG encoder");
  VideoEncoder encoder(codec, image.width, image.height, {1, 1}, false);
  encoder.Send(image, 0);
  encoder.Flush();
  PacketPtr packet = NewPacket();
  if (!encoder.Receive(packet.get())) throw MediaError("PNG encoding gave nothing");
  return {packet->data, packet->data + packet->size};
}

void PictureSequenceWriter::WriteFrame(const ArgbView &frame) {
  const std::vector<uint8_t> png = EncodePng(frame);
  const int serial = static_cast<int>(temps_.size()) + 1;
  const std::string temp = TempNameBeside(settings_.path, serial);
  SetTempSeriesCount(series_, serial);  // before the file exists
  temps_.push_back(temp);
  std::FILE *f = std::fopen(temp.c_str(), "wb");
  int err = f ? 0 : errno;
  if (f && std::fwrite(png.data(), 1, png.size(), f) != png.size()) err = errno ? errno : EIO;
  if (f && std::fclose(f) != 0 && !err) err = errno;
  if (err) throw MediaError("cannot write: " + std::string(std::strerror(err)));
}

void PictureSequenceWriter::Finish() {
  if (done_) return;
  // A name taken by a folder fails before any picture moves, so a failed
  // sequence leaves none of its pictures behind.
  for (std::size_t i = 0; i < temps_.size(); ++i) {
    const std::string name = SequenceFileName(settings_.path, static_cast<std::int64_t>(i));
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
      Abandon();
      throw MediaError("cannot put the output in place: " + name + " is a folder");
    }
  }
  for (std::size_t i = 0; i < temps_.size(); ++i) {
    try {
      RenameInto(temps_[i], SequenceFileName(settings_.path, static_cast<std::int64_t>(i)));
    } catch (...) {
      // Pictures already in place stay: each is complete.
      for (std::size_t j = i + 1; j < temps_.size(); ++j) unlink(temps_[j].c_str());
      done_ = true;
      UnregisterTempSeries(series_);
      throw;
    }
  }
  done_ = true;
  UnregisterTempSeries(series_);
}

void PictureSequenceWriter::Abandon() {
  if (done_) return;
  done_ = true;
  for (const std::string &t : temps_) unlink(t.c_str());
  UnregisterTempSeries(series_);
}

}  // namespace

bool IsPictureSequence(const std::string &path) { return Extension(path) == ".png"; }

std::string SequenceFileName(const std::string &path, std::int64_t index) {
  char name[4096];
  if (path.find('%') != std::string::npos &&
      av_get_frame_filename2(name, sizeof name, path.c_str(), static_cast<int>(index), 0) == 0)
    return name;
  std::string stem = path.substr(0, path.size() - 4);  // before ".png"
  // base20.png numbers as base20-00000.png, not base2000000.png.
  if (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem += '-';
  std::snprintf(name, sizeof name, "%s%05lld%s", stem.c_str(), static_cast<long long>(index),
                path.substr(path.size() - 4).c_str());
  return name;
}

EncoderFacts VideoEncoderFacts(const WriterSettings &settings) {
  for (const Container &c : kContainers) {
    if (Extension(settings.path) != c.extension) continue;
    const AVOutputFormat *format = av_guess_format(c.format, nullptr, nullptr);
    const AVCodec *codec = VideoCodecFor(format, settings.videoCodec);
    // Only an opened encoder knows its reordering.
    const VideoEncoder encoder(codec, settings.width, settings.height, settings.frameRate,
                               format->flags & AVFMT_GLOBALHEADER);
    return {codec->name, encoder.Context()->has_b_frames};
  }
  return {};
}

std::unique_ptr<ClipWriter> OpenClipWriter(const WriterSettings &settings, const WriterExtras &extras) {
  if (settings.width <= 0 || settings.height <= 0) throw MediaError("empty picture size");
  RemoveStaleTempFiles(settings.path);
  const std::string ext = Extension(settings.path);
  if (ext == ".png") {
    if (!settings.videoCodec.empty() && settings.videoCodec != "png")
      throw MediaError("a .png output is written with png, not " + settings.videoCodec);
    return std::make_unique<PictureSequenceWriter>(settings);
  }
  for (const Container &c : kContainers)
    if (ext == c.extension) return std::make_unique<MuxedWriter>(settings, extras, c);
  throw MediaError("unknown output type '" + ext + "' (use .mp4, .mkv, .mov, .nut, .avi or .png)");
}

void CheckOutputSize(const WriterSettings &settings) {
  if (settings.width <= 0 || settings.height <= 0) throw MediaError("empty picture size");
  const std::string ext = Extension(settings.path);
  if (ext == ".png") {
    const AVCodec *png = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!png) throw MediaError("no PNG encoder");
    CheckEncoderTakes(png, settings.width, settings.height, {1, 1}, false);
    return;
  }
  for (const Container &c : kContainers) {
    if (ext != c.extension) continue;
    const AVOutputFormat *format = av_guess_format(c.format, nullptr, nullptr);
    if (!format) throw MediaError("no " + ext + " writer");
    CheckEncoderTakes(VideoCodecFor(format, settings.videoCodec), settings.width, settings.height,
                      settings.frameRate, format->flags & AVFMT_GLOBALHEADER);
    return;
  }
  throw MediaError("unknown output type '" + ext + "' (use .mp4, .mkv, .mov, .nut, .avi or .png)");
}

void WritePng(const std::string &path, const ArgbView &image) {
  const std::vector<uint8_t> png = EncodePng(image);
  RemoveStaleTempFiles(path);
  WriteFileAtomically(path, png.data(), png.size());
}

}  // namespace zv::media
