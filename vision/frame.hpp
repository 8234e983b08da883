#pragma once

#include <cstdint>
#include <opencv2/core/mat.hpp>
#include <string_view>
#include <vector>

#include "core/base/enum_text.hpp"

namespace kestrel {

// Pixel layouts a camera hands over.
//   bgr:  one plane, 3 bytes a pixel (blue, green, red).
//   nv12: a luma plane and one plane of interleaved U, V samples at half width and height.
//   yu12: luma, U and V planes, the chroma planes at half width and height.
//   yuyv: one plane, 4 bytes for each pair of pixels (Y0, U, Y1, V).
// The YUV formats are video range (luma 16 to 235), as webcams deliver them.
enum class PixelFormat { bgr, nv12, yu12, yuyv };

template <>
struct EnumTexts<PixelFormat> {
  static constexpr std::array table{
      std::pair{PixelFormat::bgr, std::string_view{"bgr"}},
      std::pair{PixelFormat::nv12, std::string_view{"nv12"}},
      std::pair{PixelFormat::yu12, std::string_view{"yu12"}},
      std::pair{PixelFormat::yuyv, std::string_view{"yuyv"}},
  };
};

struct Plane {
  std::vector<std::uint8_t> bytes;
  int stride = 0;  // bytes from one row to the next

  bool operator==(const Plane&) const = default;
};

// One camera frame: its size in pixels, its layout and its planes, top row first.
struct Frame {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::bgr;
  std::vector<Plane> planes;

  bool operator==(const Frame&) const = default;
};

// The frame as an 8-bit BGR image. VisionError when the planes do not fit the size and
// format (a missing plane, a short plane, a stride narrower than a row, an odd size for
// the subsampled formats).
cv::Mat toBgr(const Frame& frame);

// A BGR frame holding a copy of an 8-bit, 3-channel image.
Frame frameFromBgr(const cv::Mat& bgr);

}  // namespace kestrel
