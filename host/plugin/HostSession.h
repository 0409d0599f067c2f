// The host's side of the callbacks: one session answers the plug-in's
// HYProcs from a clip. Frames are delivered as offscreen images owned by the
// session until released; MixAudio adds the delivered frame's sound into the
// output frame being rendered.
#pragma once

#include <HYPluginAPI.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "media/Clip.h"

namespace zv::host {

class HostSession {
 public:
  // clip may be null (a description request needs none); clipName starts
  // the messages of reading failures.
  explicit HostSession(media::Clip *clip, std::string clipName = "clip");
  const std::string &ClipName() const { return clipName_; }
  ~HostSession();
  HostSession(const HostSession &) = delete;
  HostSession &operator=(const HostSession &) = delete;

  static const HYProcs &Procs();

  void SetFades(SInt32 fadeIn, SInt32 fadeOut);
  void SetSliderValues(const float values[3]);

  // Sound of output frames at this rate and channel count; rate 0: none.
  void SetOutputSound(AVRational frameRate, int sampleRate, int channels);
  // Starts output frame r: its sound block is silence until mixed into.
  void BeginFrame(std::int64_t r);
  // The sound of the current output frame; null without output sound.
  const media::AudioBlock *FrameSound() const { return sound_ ? &*sound_ : nullptr; }

  // The first reading failure of a delivery, for the error line.
  const std::string &ReadError() const { return readError_; }
  void ClearReadError() { readError_.clear(); }
  int MixCount() const { return mixes_; }
  std::size_t OutstandingFrames() const { return deliveries_.size(); }

 private:
  struct Delivery {
    GWorldPtr image;
    SInt32 frame;
  };
  static HYPluginResult GetFrame(void *instance, SInt32 frameIndex, GWorldPtr *outImage, SInt16 width,
                                 SInt16 height, HYRefDVQuality quality, SInt16 *outVolume, SInt32 *outCookie);
  static HYPluginResult ReleaseFrame(void *instance, SInt32 cookie);
  static HYPluginResult MixAudio(void *instance, SInt32 cookie, SInt32 volume);
  static HYPluginResult GetFilterInfo(void *instance, _HYPluginFilterInfo **outInfo);
  static void ReleaseFilterInfo(void *instance, _HYPluginFilterInfo *info);

  media::Clip *clip_;
  std::string clipName_;
  _HYPluginFilterInfo filterInfo_{};
  std::map<SInt32, Delivery> deliveries_;
  // Released images for the next deliveries: a new one is cleared only to be
  // overwritten by the frame.
  std::vector<GWorldPtr> spares_;
  SInt32 nextCookie_ = 1;
  std::string readError_;
  int mixes_ = 0;

  AVRational outRate_{30, 1};
  int sampleRate_ = 0;
  int channels_ = 0;
  std::optional<media::AudioBlock> sound_;
};

// A view of an offscreen image's pixels.
media::ArgbView ViewOf(GWorldPtr image);

}  // namespace zv::host
