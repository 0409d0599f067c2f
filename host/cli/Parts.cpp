#include "cli/Parts.h"

#include <filesystem>
#include <new>
#include <vector>

extern "C" {
#include <libavutil/hash.h>
}

namespace zv::host {

std::string ConfigDigest(const StoredConfigReport &stored) {
  std::vector<std::uint8_t> bytes;
  const auto add = [&](const void *p, std::size_t n) {
    const auto *b = static_cast<const std::uint8_t *>(p);
    bytes.insert(bytes.end(), b, b + n);
  };
  if (stored.config) {
    const StoredConfig &c = *stored.config;
    add(c.startRel.data(), sizeof c.startRel);
    add(c.endRel.data(), sizeof c.endRel);
    for (const StoredRgb &rgb : c.colors) add(&rgb, sizeof rgb);
    add(c.sliders.data(), sizeof c.sliders);
    add(&c.frameStartColor, sizeof c.frameStartColor);
    add(&c.frameEndColor, sizeof c.frameEndColor);
    add(&c.mediaType, sizeof c.mediaType);
    const std::uint8_t keep = c.keepProps;
    add(&keep, 1);
    add(&c.method, sizeof c.method);
  }
  AVHashContext *hash = nullptr;
  if (av_hash_alloc(&hash, "SHA256") < 0 || !hash) throw std::bad_alloc();
  av_hash_init(hash);
  av_hash_update(hash, bytes.data(), bytes.size());
  char hex[2 * AV_HASH_MAX_SIZE + 1] = {};
  av_hash_final_hex(hash, reinterpret_cast<std::uint8_t *>(hex), sizeof hex);
  av_hash_freep(&hash);
  return std::string(hex).substr(0, 32);
}

PartInfo PartOfPass(const Options &o, const media::ClipInfo &info, std::int64_t passFrames, int width, int height,
                    const media::EncoderFacts &encoder) {
  PartInfo p;
  p.part = o.part->first;
  p.of = o.part->second;
  if (o.input) {
    p.input = *o.input;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(*o.input, ec);
    p.inputBytes = ec ? 0 : static_cast<std::int64_t>(bytes);
  }
  p.inputFrames = info.frameCount;
  p.start = o.start;
  p.frames = passFrames;
  p.fadeIn = o.fadeIn;
  p.fadeOut = o.fadeOut;
  p.width = width;
  p.height = height;
  p.rateNum = info.frameRate.num;
  p.rateDen = info.frameRate.den;
  p.proxy = o.proxy;
  p.config = ConfigDigest(ReadStoredConfig());
  p.encoder = encoder.name;
  p.reorder = encoder.reorder;
  return p;
}

}  // namespace zv::host
