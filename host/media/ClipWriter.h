// Writes a rendered clip: the container follows the output's extension
// (Containers.h; .png writes one picture per frame, Pictures.h), the encoder
// is the one asked for or the container's usual one. The file appears under
// its name only when Finish succeeds.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "media/Clip.h"
#include "media/FFmpeg.h"
#include "media/Image.h"

namespace zv::media {

struct WriterSettings {
  std::string path;
  int width = 0;
  int height = 0;
  AVRational frameRate{30, 1};
  std::string videoCodec{};  // empty: the container's usual one
  int sampleRate = 0;      // 0: no sound track
  int channels = 0;
};

struct WriterExtras {
  std::string comment;  // the file's "comment" metadata, when not empty
  // Video copied as coded packets (WriteVideoPacket) instead of encoded.
  const AVCodecParameters *copyVideo = nullptr;
};

// Every MediaError a writer throws names its output (settings.path).
class ClipWriter {
 public:
  explicit ClipWriter(std::string path) : path_(std::move(path)) {}
  virtual ~ClipWriter() = default;
  void WriteFrame(const ArgbView &frame) {
    InFile(path_, [&] { DoWriteFrame(frame); });
  }
  // The next samples of the sound track (planar float at the settings' rate).
  void WriteAudio(const AudioBlock &samples) {
    InFile(path_, [&] { DoWriteAudio(samples); });
  }
  // A coded packet for a writer opened with copyVideo, its times in frames.
  void WriteVideoPacket(AVPacket *packet) {
    InFile(path_, [&] { DoWriteVideoPacket(packet); });
  }
  void Finish() {
    InFile(path_, [&] { DoFinish(); });
  }
  // Removes what was written; also what destroying an unfinished writer does.
  virtual void Abandon() = 0;
  virtual std::string VideoCodecName() const = 0;

 protected:
  virtual void DoWriteFrame(const ArgbView &frame) = 0;
  virtual void DoWriteAudio(const AudioBlock &samples) = 0;
  virtual void DoWriteVideoPacket(AVPacket *packet) = 0;
  virtual void DoFinish() = 0;

 private:
  std::string path_;
};

// Throws MediaError: unknown container or encoder, an encoder the container
// cannot hold, an output that cannot be created.
std::unique_ptr<ClipWriter> OpenClipWriter(const WriterSettings &settings, const WriterExtras &extras = {});

// The encoder OpenClipWriter would pick for settings (empty for pictures)
// and how many frames it reorders (B-frames), which a container may not keep.
struct EncoderFacts {
  std::string name;
  int reorder = 0;
};
EncoderFacts VideoEncoderFacts(const WriterSettings &settings);

// Throws MediaError when the output's type or encoder is unknown or the
// encoder cannot take frames of the settings' size; writes nothing.
void CheckOutputSize(const WriterSettings &settings);

}  // namespace zv::media
