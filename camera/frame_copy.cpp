#include "camera/frame_copy.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrel {

namespace {

struct PlaneShape {
  int rows = 0;
  int rowBytes = 0;
};

// The rows each plane of a layout holds; subsampled planes round odd sizes up.
std::vector<PlaneShape> shapes(PixelFormat format, int width, int height) {
  const int halfWidth = (width + 1) / 2;
  const int halfHeight = (height + 1) / 2;
  switch (format) {
    case PixelFormat::bgr:
      return {{height, 3 * width}};
    case PixelFormat::nv12:
      return {{height, width}, {halfHeight, 2 * halfWidth}};
    case PixelFormat::yu12:
      return {{height, width}, {halfHeight, halfWidth}, {halfHeight, halfWidth}};
    case PixelFormat::yuyv:
      return {{height, 4 * halfWidth}};
  }
  return {};
}

}  // namespace

std::shared_ptr<const FrameCopy> FrameCopy::make(const Frame& from) {
  if (from.width <= 0 || from.height <= 0) return nullptr;
  const auto layout = shapes(from.format, from.width, from.height);
  if (from.planes.size() < layout.size()) return nullptr;
  Frame copy{from.width, from.height, from.format, {}};
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const auto [rows, rowBytes] = layout[i];
    const Plane& source = from.planes[i];
    if (source.stride < rowBytes) return nullptr;
    const auto needed = static_cast<std::size_t>(source.stride) * static_cast<std::size_t>(rows - 1) +
                        static_cast<std::size_t>(rowBytes);
    if (source.bytes.size() < needed) return nullptr;
    Plane plane{std::vector<std::uint8_t>(static_cast<std::size_t>(rows) * static_cast<std::size_t>(rowBytes)),
                rowBytes};
    const auto rowCopy = static_cast<std::size_t>(std::min(source.stride, plane.stride));
    for (int row = 0; row < rows; ++row) {
      std::memcpy(plane.bytes.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(plane.stride),
                  source.bytes.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(source.stride),
                  rowCopy);
    }
    copy.planes.push_back(std::move(plane));
  }
  return std::shared_ptr<const FrameCopy>(new FrameCopy(std::move(copy)));
}

}  // namespace kestrel
