// Thin ownership wrappers over FFmpeg's C objects, and its error texts.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace zv::media {

// A failure of reading or writing media: what() is a short reason; File()
// names the file it concerns once the reader or writer of that file has
// passed it on (InFile).
class MediaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  const std::string &File() const { return file_; }
  // "file: reason", or the reason alone when no file is known.
  std::string Message() const { return file_.empty() ? what() : file_ + ": " + what(); }
  void NameFile(const std::string &path) {
    if (file_.empty()) file_ = path;
  }

 private:
  std::string file_;
};

// Runs work; a MediaError it throws leaves naming path, unless it already
// names a file.
template <class F>
decltype(auto) InFile(const std::string &path, F &&work) {
  try {
    return work();
  } catch (MediaError &e) {
    e.NameFile(path);
    throw;
  }
}

std::string AvErrorText(int err);
// True for errors of the file system (full disk, permissions, I/O) rather
// than of the media.
bool IsFileSystemError(int err);
// Throws MediaError("what: <FFmpeg's reason>") when err < 0; returns err.
int Check(int err, const char *what);

struct FrameDeleter {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct InputDeleter {
  void operator()(AVFormatContext *f) const { avformat_close_input(&f); }
};
struct SwsDeleter {
  void operator()(SwsContext *s) const { sws_freeContext(s); }
};
struct SwrDeleter {
  void operator()(SwrContext *s) const { swr_free(&s); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;

FramePtr NewFrame();
PacketPtr NewPacket();

// Keeps FFmpeg's own log quiet except for real errors; every failure reaches
// the user through our own one-line messages.
void QuietFFmpegLog();

}  // namespace zv::media
