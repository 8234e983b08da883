#include "vision/frame.hpp"

#include <opencv2/imgproc.hpp>
#include <string>

#include "vision/vision_error.hpp"

namespace kestrel {

namespace {

[[noreturn]] void invalid(const Frame& frame, const std::string& why) {
  throw VisionError("invalid " + std::string(toText(frame.format)) + " frame of " + std::to_string(frame.width) +
                    "x" + std::to_string(frame.height) + ": " + why);
}

// A view of one plane as `rows` rows of `rowBytes` bytes, checked against its size.
cv::Mat planeView(const Frame& frame, std::size_t index, int rows, int rowBytes, int type) {
  if (frame.planes.size() <= index) invalid(frame, "plane " + std::to_string(index) + " is missing");
  const Plane& plane = frame.planes[index];
  if (plane.stride < rowBytes) invalid(frame, "plane " + std::to_string(index) + " has a stride below its row");
  const auto needed = static_cast<std::size_t>(plane.stride) * static_cast<std::size_t>(rows - 1) +
                      static_cast<std::size_t>(rowBytes);
  if (plane.bytes.size() < needed) invalid(frame, "plane " + std::to_string(index) + " is too short");
  // OpenCV only reads through this header; the frame keeps ownership.
  auto* data = const_cast<std::uint8_t*>(plane.bytes.data());
  return cv::Mat(rows, rowBytes / CV_ELEM_SIZE(type), type, data, static_cast<std::size_t>(plane.stride));
}

}  // namespace

cv::Mat toBgr(const Frame& frame) {
  const int w = frame.width;
  const int h = frame.height;
  if (w <= 0 || h <= 0) invalid(frame, "empty size");
  const bool subsampled = frame.format != PixelFormat::bgr;
  if (subsampled && (w % 2 != 0 || (frame.format != PixelFormat::yuyv && h % 2 != 0))) {
    invalid(frame, "odd size for a subsampled format");
  }
  cv::Mat bgr;
  switch (frame.format) {
    case PixelFormat::bgr:
      planeView(frame, 0, h, 3 * w, CV_8UC3).copyTo(bgr);
      break;
    case PixelFormat::nv12: {
      const cv::Mat y = planeView(frame, 0, h, w, CV_8UC1);
      const cv::Mat uv = planeView(frame, 1, h / 2, w, CV_8UC2);
      cv::cvtColorTwoPlane(y, uv, bgr, cv::COLOR_YUV2BGR_NV12);
      break;
    }
    case PixelFormat::yu12: {
      // OpenCV converts I420 from one buffer: luma rows, then U rows, then V rows.
      cv::Mat packed(h + h / 2, w, CV_8UC1);
      planeView(frame, 0, h, w, CV_8UC1).copyTo(packed.rowRange(0, h));
      const cv::Mat u = planeView(frame, 1, h / 2, w / 2, CV_8UC1);
      const cv::Mat v = planeView(frame, 2, h / 2, w / 2, CV_8UC1);
      u.copyTo(cv::Mat(h / 2, w / 2, CV_8UC1, packed.ptr(h), static_cast<std::size_t>(w / 2)));
      v.copyTo(cv::Mat(h / 2, w / 2, CV_8UC1, packed.ptr(h) + (w / 2) * (h / 2), static_cast<std::size_t>(w / 2)));
      cv::cvtColor(packed, bgr, cv::COLOR_YUV2BGR_I420);
      break;
    }
    case PixelFormat::yuyv:
      cv::cvtColor(planeView(frame, 0, h, 2 * w, CV_8UC2), bgr, cv::COLOR_YUV2BGR_YUYV);
      break;
  }
  return bgr;
}

Frame frameFromBgr(const cv::Mat& bgr) {
  if (bgr.type() != CV_8UC3 || bgr.empty()) throw VisionError("not an 8-bit BGR image");
  Frame frame{bgr.cols, bgr.rows, PixelFormat::bgr, {Plane{{}, bgr.cols * 3}}};
  auto& bytes = frame.planes[0].bytes;
  bytes.resize(static_cast<std::size_t>(bgr.cols) * 3 * static_cast<std::size_t>(bgr.rows));
  cv::Mat view(bgr.rows, bgr.cols, CV_8UC3, bytes.data());
  bgr.copyTo(view);
  return frame;
}

}  // namespace kestrel
