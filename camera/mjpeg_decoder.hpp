#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "vision/frame.hpp"

namespace kestrel {

// Decodes a camera's Motion-JPEG frames into BGR frames with libjpeg-turbo. Frames that
// leave out their Huffman tables, as many webcams send them, decode with the standard ones.
// One decoder serves one thread at a time; each frame decodes on its own, whatever came before.
class MjpegDecoder {
 public:
  MjpegDecoder();
  ~MjpegDecoder();
  MjpegDecoder(const MjpegDecoder&) = delete;
  MjpegDecoder& operator=(const MjpegDecoder&) = delete;

  // The largest image decoded when the camera's own size is not known: 8K video and then some.
  static constexpr int largestSide = 8192;

  // None for data that is not a complete JPEG image, and for an image wider or taller than
  // given: a damaged frame header may claim any size up to 65535 by 65535, for which the
  // decoder would ask for gigabytes before finding that the data holds nothing of the kind.
  std::optional<Frame> decode(std::span<const std::uint8_t> jpeg, int maxWidth = largestSide,
                              int maxHeight = largestSide);

 private:
  // Each image is read on a fresh handle: libjpeg-turbo keeps one image's tables for the next,
  // so an image lacking its own would decode with another's, and a handle that failed on some
  // damaged images (a frame header with no width) reads no image after.
  void renew();

  void* handle_;
};

}  // namespace kestrel
