#include "media/Clip.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace zv::media {

std::int64_t FrameSample(std::int64_t index, AVRational frameRate, int sampleRate) {
  return av_rescale_rnd(index, static_cast<std::int64_t>(sampleRate) * frameRate.den, frameRate.num,
                        AV_ROUND_NEAR_INF);
}

}  // namespace zv::media
