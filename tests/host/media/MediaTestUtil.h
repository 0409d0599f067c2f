// Shared by the media tests: a scratch folder and clips made by the ffmpeg
// program, so the reader is tested on files another program wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zv::media::test {

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/zorvane-test-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string &name) const { return (path_ / name).string(); }
  const std::filesystem::path &Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs the ffmpeg program quietly; true on success.
inline bool Ffmpeg(const std::string &args) {
  return std::system(("ffmpeg -nostdin -loglevel error -y " + args).c_str()) == 0;
}

// 64x48 at 30 fps: the left half moves, the right half is flat at luma
// 4 * n + 20 in frame n, so a frame's index can be read off its pixels.
inline std::string NumberedSource(int frames) {
  return "-f lavfi -i \"color=c=black:s=64x48:r=30,format=yuv420p,geq=lum='if(lt(X,32),128+60*sin(X/3+N/2)*"
         "cos(Y/4+N/3),4*N+20)':cb=128:cr=128,trim=end_frame=" +
         std::to_string(frames) + "\"";
}

}  // namespace zv::media::test
