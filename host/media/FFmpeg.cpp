#include "media/FFmpeg.h"

#include <new>

namespace zv::media {

std::string AvErrorText(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
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
