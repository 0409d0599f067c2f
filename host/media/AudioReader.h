// The sound of a clip file, decoded on demand to planar float at the file's
// own rate, counted from the start of the sound; reading on is the fast path,
// a jump back reads from the beginning again. Sample 0 of the
// timeline is the time of the clip's first video frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/Clip.h"
#include "media/FFmpeg.h"

namespace zv::media {

class AudioReader {
 public:
  // nullptr when the file has no sound stream. Throws MediaError when it has
  // one that cannot be decoded.
  // format: the file's, known already, so it is not probed again.
  static std::unique_ptr<AudioReader> Open(const std::string &path, const AVInputFormat *format,
                                           double originSeconds);

  int SampleRate() const { return rate_; }
  int Channels() const { return channels_; }
  void Mix(std::int64_t first, AudioBlock &out, float gain);

 private:
  AudioReader(const std::string &path, const AVInputFormat *format, double originSeconds);
  bool OpenInput();
  void DropBefore(std::int64_t first);
  bool DecodeMore();
  void Append(const AVFrame &frame);
  std::int64_t BufferEnd() const { return bufStart_ + static_cast<std::int64_t>(buf_.empty() ? 0 : buf_[0].size()); }

  std::string path_;
  const AVInputFormat *format_;
  double origin_;
  InputPtr input_;
  CodecContextPtr decoder_;
  AVStream *stream_ = nullptr;
  SwrPtr swr_;
  int swrFormat_ = -1;
  PacketPtr packet_;
  FramePtr frame_;
  int rate_ = 0;
  int channels_ = 0;

  std::vector<std::vector<float>> buf_;  // one vector per channel
  std::int64_t bufStart_ = 0;
  bool havePosition_ = false;  // bufStart_ is known
  bool atSoundStart_ = true;   // bufStart_ is where the sound begins: earlier samples are silence
  bool eof_ = false;
  bool flushed_ = false;
};

}  // namespace zv::media
