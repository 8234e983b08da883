#include "camera/mjpeg_decoder.hpp"

#include <turbojpeg.h>

#include <limits>
#include <memory>

namespace kestrel::MjpegDecoder {

std::optional<Frame> decode(std::span<const std::uint8_t> jpeg, int maxWidth, int maxHeight) {
  if (jpeg.empty() || jpeg.size() > std::numeric_limits<unsigned long>::max()) return std::nullopt;
  // Each image is read on a handle of its own: libjpeg-turbo keeps one image's tables for the
  // next, so an image lacking its own would decode with another's, and a handle that failed on
  // some damaged images (a frame header with no width) reads no image after. A handle costs
  // nothing next to the decoding.
  const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
  if (!handle) return std::nullopt;
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  const auto size = static_cast<unsigned long>(jpeg.size());
  if (tjDecompressHeader3(handle.get(), jpeg.data(), size, &width, &height, &subsampling, &colorspace) != 0 ||
      width <= 0 || height <= 0 || width > maxWidth || height > maxHeight) {
    return std::nullopt;
  }
  const int stride = width * 3;
  Frame frame{width, height, PixelFormat::bgr, {Plane{{}, stride}}};
  frame.planes[0].bytes.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  // A damaged frame (a truncated stream, a corrupt segment) is a warning to libjpeg-turbo
  // unless asked to stop on warnings: such frames are not to be analysed.
  if (tjDecompress2(handle.get(), jpeg.data(), size, frame.planes[0].bytes.data(), width, stride, height, TJPF_BGR,
                    TJFLAG_STOPONWARNING) != 0) {
    return std::nullopt;
  }
  return frame;
}

}  // namespace kestrel::MjpegDecoder
