#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "vision/frame.hpp"

namespace kestrel {

// One filled capture buffer, as V4L2 hands it over.
struct RawFrame {
  std::uint32_t fourcc = 0;
  int width = 0;
  int height = 0;
  int bytesPerLine = 0;  // of the luma or only plane; 0 for tightly packed rows
  std::span<const std::uint8_t> bytes;
};

// The length of the JPEG image at the start of `bytes`, through its end-of-image marker,
// found by walking its segments (an end marker inside a segment or an embedded thumbnail
// does not count); all of `bytes` when the image has no end. Buffers may run past the image:
// some drivers report a buffer's whole length as its bytes used.
std::size_t jpegLength(std::span<const std::uint8_t> bytes);

// The frame the analyzer gets from a buffer: NV12 and YU12 as they are when `keepYUV420`,
// every other format (and those two without it) as BGR. None for a buffer too short for its
// size, a damaged compressed frame, a compressed image larger than the size (when that is
// given) or a format that cannot be read.
std::optional<Frame> frameFromRaw(const RawFrame& raw, bool keepYUV420);

}  // namespace kestrel
