#include "camera/raw_frame.hpp"

#include <linux/videodev2.h>

#include <cstdint>
#include <limits>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "camera/mjpeg_decoder.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

namespace {

// A plane of `rows` rows, `stride` bytes apart, copied from `offset` in the buffer.
std::optional<Plane> plane(const RawFrame& raw, std::size_t offset, int rows, int stride) {
  const auto length = static_cast<std::size_t>(rows) * static_cast<std::size_t>(stride);
  if (raw.bytes.size() < offset + length) return std::nullopt;
  const auto first = raw.bytes.begin() + static_cast<std::ptrdiff_t>(offset);
  return Plane{{first, first + static_cast<std::ptrdiff_t>(length)}, stride};
}

std::optional<Frame> asBgr(const Frame& frame) {
  try {
    return frameFromBgr(toBgr(frame));
  } catch (const VisionError&) {
    return std::nullopt;
  }
}

}  // namespace

std::size_t jpegLength(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return size;
  std::size_t at = 2;
  bool entropy = false;  // inside the coded data after a start of scan
  while (at + 1 < size) {
    if (bytes[at] != 0xFF) {
      if (!entropy) return size;  // not a marker where one must be
      ++at;
      continue;
    }
    const std::uint8_t marker = bytes[at + 1];
    if (marker == 0xD9) return at + 2;
    // Stuffed zero bytes, fill bytes and restart markers belong to the coded data.
    if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      at += marker == 0xFF ? 1 : 2;
      continue;
    }
    if (at + 3 >= size) return size;
    const std::size_t length = (static_cast<std::size_t>(bytes[at + 2]) << 8) | bytes[at + 3];
    if (length < 2) return size;
    at += 2 + length;
    entropy = marker == 0xDA;
  }
  return size;
}

std::optional<Frame> frameFromRaw(const RawFrame& raw, bool keepYUV420) {
  const int w = raw.width;
  const int h = raw.height;
  if (raw.fourcc == V4L2_PIX_FMT_MJPEG || raw.fourcc == V4L2_PIX_FMT_JPEG) {
    // The image alone: what follows its end in the buffer is an older frame's. An image larger
    // than the format in use is damage, not a picture.
    return MjpegDecoder::decode(raw.bytes.first(jpegLength(raw.bytes)), w > 0 ? w : MjpegDecoder::largestSide,
                                h > 0 ? h : MjpegDecoder::largestSide);
  }
  if (w <= 0 || h <= 0) return std::nullopt;
  // The bytes from row to row: the driver's when it gives them, else rows of `bytesEach` a
  // pixel, tightly packed. Rows longer than a plane's stride can be, or than the driver's
  // row length, are no frame.
  const auto rowBytes = [&](std::int64_t bytesEach) -> std::optional<int> {
    const std::int64_t packed = bytesEach * w;
    if (packed > std::numeric_limits<int>::max() || (raw.bytesPerLine > 0 && raw.bytesPerLine < packed)) {
      return std::nullopt;
    }
    return raw.bytesPerLine > 0 ? raw.bytesPerLine : static_cast<int>(packed);
  };
  // The one plane of a packed format, rows of `bytesEach` a pixel.
  const auto packedPlane = [&](std::int64_t bytesEach) -> std::optional<Plane> {
    const auto stride = rowBytes(bytesEach);
    return stride ? plane(raw, 0, h, *stride) : std::nullopt;
  };
  // Chroma at half the width and height needs an even size.
  const bool fourTwoZero = raw.fourcc == V4L2_PIX_FMT_NV12 || raw.fourcc == V4L2_PIX_FMT_YUV420;
  if (fourTwoZero && (w % 2 != 0 || h % 2 != 0)) return std::nullopt;
  switch (raw.fourcc) {
    case V4L2_PIX_FMT_NV12: {
      const auto row = rowBytes(1);
      if (!row) return std::nullopt;
      const int stride = *row;
      const auto y = plane(raw, 0, h, stride);
      const auto uv = plane(raw, static_cast<std::size_t>(stride) * static_cast<std::size_t>(h), h / 2, stride);
      if (!y || !uv) return std::nullopt;
      Frame frame{w, h, PixelFormat::nv12, {*y, *uv}};
      return keepYUV420 ? std::optional<Frame>(std::move(frame)) : asBgr(frame);
    }
    case V4L2_PIX_FMT_YUV420: {
      const auto row = rowBytes(1);
      if (!row) return std::nullopt;
      const int stride = *row;
      const int chroma = stride / 2;
      const auto lumaBytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(h);
      const auto chromaBytes = static_cast<std::size_t>(chroma) * static_cast<std::size_t>(h / 2);
      const auto y = plane(raw, 0, h, stride);
      const auto u = plane(raw, lumaBytes, h / 2, chroma);
      const auto v = plane(raw, lumaBytes + chromaBytes, h / 2, chroma);
      if (!y || !u || !v) return std::nullopt;
      Frame frame{w, h, PixelFormat::yu12, {*y, *u, *v}};
      return keepYUV420 ? std::optional<Frame>(std::move(frame)) : asBgr(frame);
    }
    case V4L2_PIX_FMT_YUYV: {
      const auto packed = packedPlane(2);
      if (!packed) return std::nullopt;
      return asBgr(Frame{w, h, PixelFormat::yuyv, {*packed}});
    }
    case V4L2_PIX_FMT_BGR24: {
      const auto packed = packedPlane(3);
      if (!packed) return std::nullopt;
      return asBgr(Frame{w, h, PixelFormat::bgr, {*packed}});
    }
    case V4L2_PIX_FMT_RGB24: {
      const auto packed = packedPlane(3);
      if (!packed) return std::nullopt;
      // OpenCV only reads through this header.
      const cv::Mat rgb(h, w, CV_8UC3, const_cast<std::uint8_t*>(packed->bytes.data()),
                        static_cast<std::size_t>(packed->stride));
      cv::Mat bgr;
      cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
      return frameFromBgr(bgr);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace kestrel
