// A clip read from a file through FFmpeg: any video its libraries decode, or a
// single still picture (a one-frame clip). Frames are found by index, exactly:
// reading on is the fast path; a jump back or far ahead seeks to a key frame
// before the target and decodes forward; recent frames are cached. The file
// is opened once for the picture and its length (ClipLength.cpp) and once
// more for the sound, which is read at its own place.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "media/AudioReader.h"
#include "media/Clip.h"
#include "media/FFmpeg.h"
#include "media/FrameCache.h"
#include "media/FrameConverter.h"

namespace zv::media {

class ClipReader final : public Clip {
 public:
  // Throws MediaError naming path with a reason ("no video stream", FFmpeg's text, ...).
  explicit ClipReader(const std::string &path);
  ~ClipReader() override;

  const ClipInfo &Info() const override { return info_; }
  void ReadFrame(std::int64_t index, const ArgbView &target, Quality quality) override;
  void MixAudio(std::int64_t first, AudioBlock &out, float gain) override;

  // Empty when every frame the file announces decodes; otherwise what is wrong.
  const std::string &Damage() const { return damage_; }

  struct Stats {
    int seeks = 0;
    int reopens = 0;
    std::int64_t framesDecoded = 0;
  };
  const Stats &GetStats() const { return stats_; }

 private:
  struct Decoded {
    std::int64_t index;
    FramePtr frame;
  };

  static constexpr int kSeekAttempts = 6;

  void Open();
  void Read(std::int64_t index, const ArgbView &target, Quality quality);
  void OpenInput();
  std::optional<Decoded> DecodeNext();
  std::int64_t IndexOf(const AVFrame &frame);
  const AVFrame *Find(std::int64_t index);
  const AVFrame *DecodeUntil(std::int64_t index);
  void SeekBefore(std::int64_t index);
  bool SeekTo(std::int64_t ts);
  void Reopen();
  void Consume(Decoded &d);
  std::int64_t CountFrames();
  std::int64_t DeclaredFrames() const;
  bool EndsEarly();
  std::int64_t LastPacketEnd();

  std::string path_;
  InputPtr input_;
  CodecContextPtr decoder_;
  AVStream *stream_ = nullptr;
  PacketPtr packet_;
  bool demuxDone_ = false;    // the demuxer is exhausted, the decoder drained
  bool decoderFlushed_ = false;
  bool acceptNonKey_ = true;  // false after a seek until the first key frame
  std::int64_t t0_ = 0;       // time of frame 0 in the stream's time base
  bool haveT0_ = false;
  std::int64_t lastTs_ = AV_NOPTS_VALUE;
  FramePtr lastFrame_;            // the latest frame read on, for indexes no frame carries
  std::int64_t lastFrameIndex_ = -1;

  ClipInfo info_;
  std::string damage_;
  FrameCache cache_{6};
  FrameConverter converter_;
  std::unique_ptr<AudioReader> audio_;
  Stats stats_;
};

}  // namespace zv::media
