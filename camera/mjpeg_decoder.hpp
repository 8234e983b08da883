#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "vision/frame.hpp"

namespace kestrel {

// Decodes a camera's Motion-JPEG frames into BGR frames with libjpeg-turbo. Frames that
// leave out their Huffman tables, as many webcams send them, decode with the standard ones.
// One decoder serves one thread at a time.
class MjpegDecoder {
 public:
  MjpegDecoder();
  ~MjpegDecoder();
  MjpegDecoder(const MjpegDecoder&) = delete;
  MjpegDecoder& operator=(const MjpegDecoder&) = delete;

  // None for data that is not a complete JPEG image.
  std::optional<Frame> decode(std::span<const std::uint8_t> jpeg);

 private:
  void* handle_;
};

}  // namespace kestrel
