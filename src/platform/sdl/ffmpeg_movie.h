#pragma once
// Movie files decoded through FFmpeg: pictures scaled to a fixed size as
// 32-bit ARGB, sound converted to 16-bit stereo at 22050 Hz, in file order.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct MoviePacket {
  bool picture = false;        // else sound
  double time = 0;             // seconds from the start
  std::vector<uint32_t> pixels;  // width x height, top row first
  std::vector<int16_t> sound;    // interleaved stereo
};

class FfmpegMovie {
 public:
  static constexpr int kSoundRate = 22050;
  FfmpegMovie();
  ~FfmpegMovie();
  FfmpegMovie(const FfmpegMovie&) = delete;
  FfmpegMovie& operator=(const FfmpegMovie&) = delete;

  // False when the file cannot be read or holds no pictures.
  bool Open(const std::string& path, int width, int height);
  // The next picture or piece of sound; false at the end of the file (a
  // damaged stretch ends it too).
  bool Next(MoviePacket* packet);
  bool HasSound() const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace platform
