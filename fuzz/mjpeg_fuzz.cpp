// Feeds arbitrary bytes to the reading of a Motion-JPEG capture buffer: finding where its
// image ends, then decoding it. Besides not crashing (nor asking for memory out of proportion
// to the buffer): the image never runs past the buffer, and a decoded frame is a BGR frame no
// larger than the camera's format whose plane holds its size, and a damaged image leaves the
// decoder able to read the next.

#include <linux/videodev2.h>

#include <vector>

#include "camera/frame_copy.hpp"
#include "camera/raw_frame.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> buffer(data, size);
  fuzz::require(jpegLength(buffer) <= size);
  // The first input that decoded, which must go on decoding whatever came after it.
  static std::vector<std::uint8_t> decodable;
  // At the size the preset asks for.
  const auto frame = frameFromRaw({V4L2_PIX_FMT_MJPEG, 1280, 720, 0, buffer}, false);
  if (!decodable.empty()) {
    fuzz::require(frameFromRaw({V4L2_PIX_FMT_MJPEG, 1280, 720, 0, decodable}, false).has_value());
  }
  if (!frame) return 0;
  if (decodable.empty()) decodable.assign(buffer.begin(), buffer.end());
  fuzz::require(frame->format == PixelFormat::bgr);
  fuzz::require(frame->width > 0 && frame->width <= 1280 && frame->height > 0 && frame->height <= 720);
  fuzz::require(FrameCopy::make(*frame) != nullptr);
  return 0;
}
