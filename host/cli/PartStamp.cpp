#include "cli/PartStamp.h"

extern "C" {
#include <libavutil/hash.h>
}

#include <new>

#include "Failure.h"
#include "media/ClipWriter.h"

namespace zv::host {

PartDigest::PartDigest(const PartInfo &info) {
  if (av_hash_alloc(&hash_, "SHA256") < 0 || !hash_) throw std::bad_alloc();
  av_hash_init(hash_);
  PartInfo described = info;
  described.digest.clear();
  const std::string text = described.Format();
  av_hash_update(hash_, reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
}

PartDigest::~PartDigest() { av_hash_freep(&hash_); }

void PartDigest::Add(const AVPacket &packet) {
  const std::uint8_t size[4] = {static_cast<std::uint8_t>(packet.size >> 24), static_cast<std::uint8_t>(packet.size >> 16),
                                static_cast<std::uint8_t>(packet.size >> 8), static_cast<std::uint8_t>(packet.size)};
  av_hash_update(hash_, size, sizeof size);  // so frames cannot trade bytes across a boundary
  if (packet.size > 0) av_hash_update(hash_, packet.data, static_cast<std::size_t>(packet.size));
}

std::string PartDigest::Hex() {
  char hex[2 * AV_HASH_MAX_SIZE + 1] = {};
  av_hash_final_hex(hash_, reinterpret_cast<std::uint8_t *>(hex), sizeof hex);
  av_hash_init(hash_);
  return hex;
}

bool PlacePartPacket(AVPacket &packet, AVRational from, AVRational rate, std::int64_t first, std::int64_t index,
                     int delay) {
  packet.pts = av_rescale_q(packet.pts, from, av_inv_q(rate)) + first;
  packet.dts = first + index - delay;
  packet.duration = 1;
  packet.pos = -1;
  return packet.pts >= packet.dts;
}

namespace {

struct OpenedVideo {
  media::InputPtr input;
  AVStream *video = nullptr;
};

OpenedVideo OpenVideo(const std::string &path) {
  OpenedVideo v;
  AVFormatContext *f = nullptr;
  const int opened = avformat_open_input(&f, path.c_str(), nullptr, nullptr);
  if (opened < 0) throw Failure(path + ": " + media::AvErrorText(opened));
  v.input.reset(f);
  const int stream = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (stream < 0) throw Failure(path + ": " + media::AvErrorText(stream));
  v.video = f->streams[stream];
  return v;
}

}  // namespace

void StampPart(const std::string &path, PartInfo info) {
  const AVRational rate{info.rateNum, info.rateDen};
  media::PacketPtr packet = media::NewPacket();
  {
    OpenedVideo written = OpenVideo(path);
    PartDigest digest(info);
    while (av_read_frame(written.input.get(), packet.get()) >= 0) {
      if (packet->stream_index == written.video->index) digest.Add(*packet);
      av_packet_unref(packet.get());
    }
    info.digest = digest.Hex();
  }
  OpenedVideo written = OpenVideo(path);
  media::WriterExtras extras;
  extras.comment = info.Format();
  extras.copyVideo = written.video->codecpar;
  written.video->codecpar->video_delay = info.reorder;
  auto writer = media::OpenClipWriter({path, info.width, info.height, rate, "", 0, 0}, extras);
  for (std::int64_t index = 0; av_read_frame(written.input.get(), packet.get()) >= 0;
       av_packet_unref(packet.get())) {
    if (packet->stream_index != written.video->index) continue;
    if (packet->pts == AV_NOPTS_VALUE) throw Failure(path + ": a frame without a time");
    PlacePartPacket(*packet, written.video->time_base, rate, 0, index++, info.reorder);
    writer->WriteVideoPacket(packet.get());
  }
  writer->Finish();
}

}  // namespace zv::host
