#include "media/Containers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zv::media {

namespace {

// Sound stays lossless where the container allows it, so a render keeps it.
constexpr Container kContainers[] = {{".mp4", "mp4", "aac"},
                                     {".mkv", "matroska", "flac"},
                                     {".mov", "mov", "aac"},
                                     {".nut", "nut", "pcm_s16le"},
                                     {".avi", "avi", "pcm_s16le"}};

constexpr char kPictures[] = ".png";

}  // namespace

const AVOutputFormat *Container::Format() const {
  const AVOutputFormat *f = av_guess_format(format, nullptr, nullptr);
  if (!f) throw MediaError(std::string("no ") + extension + " writer");
  return f;
}

std::string Extension(const std::string &path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

bool IsPictureSequence(const std::string &path) { return Extension(path) == kPictures; }

const Container *ContainerFor(const std::string &path) {
  const std::string ext = Extension(path);
  if (ext == kPictures) return nullptr;
  for (const Container &c : kContainers)
    if (ext == c.extension) return &c;
  std::string known;
  for (const Container &c : kContainers) known += std::string(c.extension) + ", ";
  throw MediaError("unknown output type '" + ext + "' (use " + known.substr(0, known.size() - 2) + " or " +
                   kPictures + ")");
}

const AVCodec *VideoCodecFor(const AVOutputFormat *format, const std::string &wanted) {
  if (!wanted.empty()) {
    const AVCodec *codec = avcodec_find_encoder_by_name(wanted.c_str());
    if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) throw MediaError("unknown video encoder '" + wanted + "'");
    return codec;
  }
  const AVCodec *codec = nullptr;
  if (format->video_codec == AV_CODEC_ID_H264) codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) codec = avcodec_find_encoder(format->video_codec);
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) throw MediaError("no video encoder for this container");
  return codec;
}

}  // namespace zv::media
