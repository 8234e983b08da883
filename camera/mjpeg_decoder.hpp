#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "vision/frame.hpp"

// Decodes a camera's Motion-JPEG frames into BGR frames with libjpeg-turbo. Frames that
// leave out their Huffman tables, as many webcams send them, decode with the standard ones.
// Each frame decodes on its own, whatever came before, so any thread may call it.
namespace kestrel::MjpegDecoder {

// The largest image decoded when the camera's own size is not known: 8K video and then some.
inline constexpr int largestSide = 8192;

// None for data that is not a complete JPEG image, and for an image wider or taller than
// given: a damaged frame header may claim any size up to 65535 by 65535, for which the
// decoder would ask for gigabytes before finding that the data holds nothing of the kind.
std::optional<Frame> decode(std::span<const std::uint8_t> jpeg, int maxWidth = largestSide,
                            int maxHeight = largestSide);

}  // namespace kestrel::MjpegDecoder
