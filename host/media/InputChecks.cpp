#include "media/InputChecks.h"

#include <cerrno>
#include <filesystem>
#include <new>

#include "media/FrameLimits.h"

namespace zv::media {

namespace {

// The format the file's first bytes announce, or null.
const AVInputFormat *ProbeFormat(const std::string &path) {
  AVIOContext *pb = nullptr;
  if (avio_open(&pb, path.c_str(), AVIO_FLAG_READ) < 0) return nullptr;
  const AVInputFormat *format = nullptr;
  if (av_probe_input_buffer2(pb, &format, path.c_str(), nullptr, 0, 0) < 0) format = nullptr;
  avio_closep(&pb);
  return format;
}

std::string Damaged(const AVInputFormat *format, int err) {
  const std::string name = format->long_name ? format->long_name : format->name;
  // An empty clip, or one cut before its index: nothing tells them apart.
  if (err == AVERROR_EOF) return "no frames: the " + name + " file ends before any picture or index (cut short?)";
  std::string text = "truncated or damaged: its " + name + " header or index cannot be read";
  // An allocation refused by FFmpeg's own ceiling: a count no real clip has.
  if (err == AVERROR(ENOMEM)) text += " (it asks for more memory than any clip needs)";
  return text;
}

}  // namespace

void CheckDeclaredSizes(const AVFormatContext &input) {
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    const AVStream *s = input.streams[i];
    if (s->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (s->disposition & AV_DISPOSITION_ATTACHED_PIC)) continue;
    const int w = s->codecpar->width, h = s->codecpar->height;
    if ((w || h) && !FitsFrameLimits(w, h))
      throw MediaError("its frames of " + std::to_string(w) + "x" + std::to_string(h) + " are too large (" +
                       FrameLimitsText() + ")");
  }
}

StreamLimits::StreamLimits(const AVFormatContext &input) : count_(input.nb_streams) {
  options_ = static_cast<AVDictionary **>(av_calloc(count_ ? count_ : 1, sizeof *options_));
  if (!options_) throw std::bad_alloc();
  for (unsigned i = 0; i < count_; ++i) av_dict_set_int(&options_[i], "max_pixels", kMaxFramePixels, 0);
}

StreamLimits::~StreamLimits() {
  for (unsigned i = 0; i < count_; ++i) av_dict_free(&options_[i]);
  av_freep(&options_);
}

std::string OpenFailureText(const std::string &path, int err) {
  if (err == AVERROR(ENOENT)) return "no such file";
  if (IsFileSystemError(err)) return "cannot open: " + AvErrorText(err);
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0) return "the file is empty";
  if (const AVInputFormat *format = ProbeFormat(path)) return Damaged(format, err);
  if (err == AVERROR_EOF) return "no frames: the file ends before any picture";
  if (err == AVERROR_INVALIDDATA) return "not a video or picture (no known format)";
  return "cannot open: " + AvErrorText(err);
}

std::string DamageText(const AVFormatContext &input, int err) {
  if (IsFileSystemError(err)) return "cannot read: " + AvErrorText(err);
  return Damaged(input.iformat, err);
}

}  // namespace zv::media
