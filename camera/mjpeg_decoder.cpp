#include "camera/mjpeg_decoder.hpp"

#include <turbojpeg.h>

#include <limits>

namespace kestrel {

MjpegDecoder::MjpegDecoder() : handle_(tjInitDecompress()) {}

MjpegDecoder::~MjpegDecoder() {
  if (handle_ != nullptr) tjDestroy(handle_);
}

void MjpegDecoder::renew() {
  if (handle_ != nullptr) tjDestroy(handle_);
  handle_ = tjInitDecompress();
}

std::optional<Frame> MjpegDecoder::decode(std::span<const std::uint8_t> jpeg, int maxWidth, int maxHeight) {
  renew();
  if (handle_ == nullptr || jpeg.empty() || jpeg.size() > std::numeric_limits<unsigned long>::max()) {
    return std::nullopt;
  }
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  const auto size = static_cast<unsigned long>(jpeg.size());
  if (tjDecompressHeader3(handle_, jpeg.data(), size, &width, &height, &subsampling, &colorspace) != 0 || width <= 0 ||
      height <= 0 || width > maxWidth || height > maxHeight) {
    return std::nullopt;
  }
  const int stride = width * 3;
  Frame frame{width, height, PixelFormat::bgr, {Plane{{}, stride}}};
  frame.planes[0].bytes.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  // A damaged frame (a truncated stream, a corrupt segment) is a warning to libjpeg-turbo
  // unless asked to stop on warnings: such frames are not to be analysed.
  if (tjDecompress2(handle_, jpeg.data(), size, frame.planes[0].bytes.data(), width, stride, height, TJPF_BGR,
                    TJFLAG_STOPONWARNING) != 0) {
    return std::nullopt;
  }
  return frame;
}

}  // namespace kestrel
