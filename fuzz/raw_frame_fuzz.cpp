// Feeds capture buffers of every uncompressed format to the conversion into the analyzer's
// frame, with the size, row length and bytes used that a driver reports taken from the input
// as well. Besides not crashing: a frame that comes out has the reported size, the layout
// asked for, and planes that hold its size.
//
// Input: a format byte (its low bits pick the format, its top bit keeps 4:2:0 frames as they
// are), then width, height, bytes per line and bytes used as little-endian 32-bit fields the
// way the driver fills them in, then the buffer.

#include <linux/videodev2.h>

#include <array>
#include <cstring>

#include "camera/frame_copy.hpp"
#include "camera/raw_frame.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

namespace {

constexpr std::array fourccs{V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_NV12, V4L2_PIX_FMT_YUV420, V4L2_PIX_FMT_RGB24,
                             V4L2_PIX_FMT_BGR24};
constexpr std::size_t headerSize = 17;

std::uint32_t field(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8U |
         static_cast<std::uint32_t>(at[2]) << 16U | static_cast<std::uint32_t>(at[3]) << 24U;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < headerSize) return 0;
  const std::uint32_t fourcc = fourccs[(data[0] & 0x7FU) % fourccs.size()];
  const bool keepYUV420 = (data[0] & 0x80U) != 0;
  const std::size_t used = std::min<std::size_t>(field(data + 13), size - headerSize);
  // As the camera stores what the driver reports.
  const RawFrame raw{fourcc, static_cast<int>(field(data + 1)), static_cast<int>(field(data + 5)),
                     static_cast<int>(field(data + 9)), {data + headerSize, used}};
  const auto frame = frameFromRaw(raw, keepYUV420);
  if (!frame) return 0;
  fuzz::require(frame->width == raw.width && frame->height == raw.height);
  const bool kept = keepYUV420 && (fourcc == V4L2_PIX_FMT_NV12 || fourcc == V4L2_PIX_FMT_YUV420);
  fuzz::require(kept != (frame->format == PixelFormat::bgr));
  fuzz::require(FrameCopy::make(*frame) != nullptr);
  return 0;
}
