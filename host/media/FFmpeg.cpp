#include "media/FFmpeg.h"

#include <cerrno>
#include <new>

namespace zv::media {

std::string AvErrorText(int err) {
  // Limits of the process, told as such.
  if (err == AVERROR(EFBIG)) return "past the limit on file size (ulimit -f)";
  if (err == AVERROR(ENOMEM)) return "out of memory (ulimit -v?)";
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

bool IsFileSystemError(int err) {
  for (int e : {ENOSPC, EDQUOT, EFBIG, EIO, EROFS, EACCES, EPERM, EISDIR, ENOTDIR, ELOOP, ENAMETOOLONG, ENXIO})
    if (err == AVERROR(e)) return true;
  return false;
}

int Check(int err, const char *what) {
  if (err < 0) throw MediaError(std::string(what) + ": " + AvErrorText(err));
  return err;
}

FramePtr NewFrame() {
  FramePtr f(av_frame_alloc());
  if (!f) throw std::bad_alloc();
  return f;
}

PacketPtr NewPacket() {
  PacketPtr p(av_packet_alloc());
  if (!p) throw std::bad_alloc();
  return p;
}

void QuietFFmpegLog() { av_log_set_level(AV_LOG_FATAL); }

}  // namespace zv::media
