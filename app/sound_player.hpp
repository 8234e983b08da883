#pragma once

#include <string>

namespace kestrel {

// The desktop's sound service: plays one sound file once, asynchronously.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts playing the file and returns at once: 0 when the sound service took it, else the
  // service's own non-zero status.
  virtual int play(const std::string& path) = 0;
};

}  // namespace kestrel
