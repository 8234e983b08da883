#include "vision/frame.hpp"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "vision/vision_error.hpp"

namespace kestrel {
namespace {

// A 4x2 picture of two-by-two colour blocks, so 4:2:0 and 4:2:2 subsampling lose nothing.
cv::Mat blocks() {
  cv::Mat image(2, 4, CV_8UC3);
  image(cv::Rect(0, 0, 2, 2)).setTo(cv::Scalar(40, 90, 200));
  image(cv::Rect(2, 0, 2, 2)).setTo(cv::Scalar(180, 160, 30));
  return image;
}

std::vector<std::uint8_t> bytesOf(const cv::Mat& m) { return {m.datastart, m.dataend}; }

// The frame in each format, built from OpenCV's own video-range conversion.
Frame asFormat(const cv::Mat& bgr, PixelFormat format) {
  const int w = bgr.cols;
  const int h = bgr.rows;
  cv::Mat i420;
  cv::cvtColor(bgr, i420, cv::COLOR_BGR2YUV_I420);
  const cv::Mat y = i420.rowRange(0, h);
  const cv::Mat u(h / 2, w / 2, CV_8UC1, i420.ptr(h));
  const cv::Mat v(h / 2, w / 2, CV_8UC1, i420.ptr(h) + (w / 2) * (h / 2));
  switch (format) {
    case PixelFormat::bgr:
      return frameFromBgr(bgr);
    case PixelFormat::yu12:
      return Frame{w, h, format, {Plane{bytesOf(y.clone()), w}, Plane{bytesOf(u.clone()), w / 2}, Plane{bytesOf(v.clone()), w / 2}}};
    case PixelFormat::nv12: {
      cv::Mat uv;
      cv::merge(std::vector<cv::Mat>{u, v}, uv);
      return Frame{w, h, format, {Plane{bytesOf(y.clone()), w}, Plane{bytesOf(uv), w}}};
    }
    case PixelFormat::yuyv: {
      std::vector<std::uint8_t> packed;
      for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; col += 2) {
          packed.insert(packed.end(), {y.at<std::uint8_t>(row, col), u.at<std::uint8_t>(row / 2, col / 2),
                                       y.at<std::uint8_t>(row, col + 1), v.at<std::uint8_t>(row / 2, col / 2)});
        }
      }
      return Frame{w, h, format, {Plane{packed, 2 * w}}};
    }
  }
  return {};
}

TEST(Frame, EveryFormatConvertsBackToTheSameColours) {
  const cv::Mat original = blocks();
  for (const auto format : allCases<PixelFormat>()) {
    const cv::Mat bgr = toBgr(asFormat(original, format));
    ASSERT_EQ(bgr.size(), original.size()) << toText(format);
    ASSERT_EQ(bgr.type(), CV_8UC3);
    // Video-range YUV rounds each channel by a step or two.
    EXPECT_LE(cv::norm(bgr, original, cv::NORM_INF), format == PixelFormat::bgr ? 0 : 3) << toText(format);
  }
}

TEST(Frame, RowsMayBePaddedBeyondTheirPixels) {
  const cv::Mat original = blocks();
  Frame frame = frameFromBgr(original);
  // Stride 16 instead of 12: four bytes of padding after each row.
  std::vector<std::uint8_t> padded(16 * 2, 0xEE);
  for (int row = 0; row < 2; ++row) std::copy_n(original.ptr(row), 12, padded.begin() + 16 * row);
  frame.planes[0] = Plane{padded, 16};
  EXPECT_EQ(cv::norm(toBgr(frame), original, cv::NORM_INF), 0);
  // The last row needs no padding after it.
  frame.planes[0].bytes.resize(16 + 12);
  EXPECT_EQ(cv::norm(toBgr(frame), original, cv::NORM_INF), 0);
}

TEST(Frame, PlanesThatDoNotFitAreRefused) {
  const cv::Mat original = blocks();
  struct Case {
    const char* what;
    Frame frame;
  };
  Frame shortPlane = asFormat(original, PixelFormat::nv12);
  shortPlane.planes[1].bytes.pop_back();
  Frame missingPlane = asFormat(original, PixelFormat::yu12);
  missingPlane.planes.pop_back();
  Frame narrowStride = asFormat(original, PixelFormat::yuyv);
  narrowStride.planes[0].stride = 7;
  Frame oddWidth{3, 2, PixelFormat::nv12, {Plane{std::vector<std::uint8_t>(6), 3}, Plane{std::vector<std::uint8_t>(4), 4}}};
  Frame oddHeight{4, 3, PixelFormat::yu12, {Plane{std::vector<std::uint8_t>(12), 4}, Plane{std::vector<std::uint8_t>(4), 2},
                                            Plane{std::vector<std::uint8_t>(4), 2}}};
  Frame empty{0, 0, PixelFormat::bgr, {}};
  const Case cases[] = {{"short plane", shortPlane}, {"missing plane", missingPlane}, {"narrow stride", narrowStride},
                        {"odd width", oddWidth},     {"odd height", oddHeight},       {"empty", empty}};
  for (const auto& c : cases) EXPECT_THROW(toBgr(c.frame), VisionError) << c.what;
}

TEST(Frame, YuyvMayHaveAnOddNumberOfRowsAndFromBgrRefusesOtherImages) {
  const Frame frame{4, 3, PixelFormat::yuyv, {Plane{std::vector<std::uint8_t>(24, 128), 8}}};
  EXPECT_EQ(toBgr(frame).size(), cv::Size(4, 3));
  EXPECT_THROW(frameFromBgr(cv::Mat(2, 2, CV_8UC1)), VisionError);
  EXPECT_THROW(frameFromBgr(cv::Mat()), VisionError);
}

}  // namespace
}  // namespace kestrel
