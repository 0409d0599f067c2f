// Shared by the media tests: clips made by the ffmpeg program, so the reader
// is tested on files another program wrote.
#pragma once

#include "../HostTestUtil.h"

namespace zv::media::test {

using ScratchDir = host::test::Scratch;
using host::test::Ffmpeg;

// 64x48 at 30 fps: the left half moves, the right half is flat at luma
// 4 * n + 20 in frame n, so a frame's index can be read off its pixels.
inline std::string NumberedSource(int frames) {
  return "-f lavfi -i \"color=c=black:s=64x48:r=30,format=yuv420p,geq=lum='if(lt(X,32),128+60*sin(X/3+N/2)*"
         "cos(Y/4+N/3),4*N+20)':cb=128:cr=128,trim=end_frame=" +
         std::to_string(frames) + "\"";
}

}  // namespace zv::media::test
