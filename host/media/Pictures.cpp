#include "media/Pictures.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "media/TempFile.h"
#include "media/VideoEncoder.h"

namespace zv::media {

namespace {

const AVCodec *PngEncoder() {
  const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (!codec) throw MediaError("no PNG encoder");
  return codec;
}

std::vector<std::uint8_t> EncodePng(const ArgbView &image) {
  VideoEncoder encoder(PngEncoder(), image.width, image.height, {1, 1}, false);
  encoder.Send(image, 0);
  encoder.Flush();
  PacketPtr packet = NewPacket();
  if (!encoder.Receive(packet.get())) throw MediaError("PNG encoding gave nothing");
  return {packet->data, packet->data + packet->size};
}

class PictureSequenceWriter final : public ClipWriter {
 public:
  explicit PictureSequenceWriter(const WriterSettings &settings);
  ~PictureSequenceWriter() override { Abandon(); }
  void DoWriteFrame(const ArgbView &frame) override;
  void DoWriteAudio(const AudioBlock &) override {}  // pictures carry no sound
  void DoWriteVideoPacket(AVPacket *) override { throw MediaError("pictures cannot take coded video"); }
  void DoFinish() override;
  void Abandon() override;
  std::string VideoCodecName() const override { return "png"; }

 private:
  void MoveIntoPlace();

  WriterSettings settings_;
  std::vector<std::string> temps_;
  int series_ = -1;
  bool done_ = false;
};

PictureSequenceWriter::PictureSequenceWriter(const WriterSettings &settings)
    : ClipWriter(settings.path), settings_(settings) {
  // Fail now, not after the first frame, when the folder cannot take files.
  const std::string probe = TempNameBeside(settings.path, -1);
  std::FILE *f = std::fopen(probe.c_str(), "wb");
  if (!f) throw MediaError("cannot write: " + std::string(std::strerror(errno)));
  std::fclose(f);
  unlink(probe.c_str());
  series_ = RegisterTempSeries(settings.path);
}

void PictureSequenceWriter::DoWriteFrame(const ArgbView &frame) {
  const std::vector<std::uint8_t> png = EncodePng(frame);
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

void PictureSequenceWriter::DoFinish() {
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
  MoveIntoPlace();
}

void PictureSequenceWriter::MoveIntoPlace() {
  done_ = true;
  for (std::size_t i = 0; i < temps_.size(); ++i) {
    try {
      RenameInto(temps_[i], SequenceFileName(settings_.path, static_cast<std::int64_t>(i)));
    } catch (...) {
      // Pictures already in place stay: each is complete.
      for (std::size_t j = i + 1; j < temps_.size(); ++j) unlink(temps_[j].c_str());
      UnregisterTempSeries(series_);
      throw;
    }
  }
  UnregisterTempSeries(series_);
}

void PictureSequenceWriter::Abandon() {
  if (done_) return;
  done_ = true;
  for (const std::string &t : temps_) unlink(t.c_str());
  UnregisterTempSeries(series_);
}

}  // namespace

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

std::unique_ptr<ClipWriter> OpenPictureSequence(const WriterSettings &settings) {
  if (!settings.videoCodec.empty() && settings.videoCodec != "png")
    throw MediaError("a .png output is written with png, not " + settings.videoCodec);
  return std::make_unique<PictureSequenceWriter>(settings);
}

void CheckPictureSize(int width, int height) { CheckEncoderTakes(PngEncoder(), width, height, {1, 1}, false); }

void WritePng(const std::string &path, const ArgbView &image) {
  InFile(path, [&] {
    const std::vector<std::uint8_t> png = EncodePng(image);
    RemoveStaleTempFiles(path);
    WriteFileAtomically(path, png.data(), png.size());
  });
}

}  // namespace zv::media
