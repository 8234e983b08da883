#include "camera/photo_store.hpp"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "camera/frame_copy.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {
namespace {

TEST(PhotoStore, SixHundredFortyWideWithTheHeightInProportion) {
  struct Case {
    std::int64_t width;
    std::int64_t height;
    std::int64_t photoHeight;
  };
  const Case cases[] = {
      {1920, 1080, 360}, {1280, 960, 480}, {1280, 720, 360}, {640, 480, 480},
      {1000, 1001, 640},  // 640.64 rounds down
      {3000, 1, 1},       // 0.21 is raised to 1
      {0, 2, 1280},       // no width: 640 times the height
      {0, 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PhotoStore::size(c.width, c.height), (PhotoStore::Size{640, c.photoHeight})) << c.width << "x" << c.height;
  }
}

std::shared_ptr<const FrameCopy> copyOf(const cv::Mat& bgr) { return FrameCopy::make(frameFromBgr(bgr)); }

TEST(PhotoStore, EncodesAMirroredJpegAndLogsIt) {
  RecordingLog log;
  PhotoStore store(log);
  // Left half dark, right half bright: mirrored, the bright half is on the left.
  cv::Mat frame(720, 1280, CV_8UC3, cv::Scalar(20, 20, 20));
  frame(cv::Rect(640, 0, 640, 720)).setTo(cv::Scalar(230, 230, 230));
  const std::string photo = store.jpeg(*copyOf(frame));
  const cv::Mat decoded = cv::imdecode(std::vector<std::uint8_t>(photo.begin(), photo.end()), cv::IMREAD_COLOR);
  ASSERT_FALSE(decoded.empty());
  EXPECT_EQ(decoded.cols, 640);
  EXPECT_EQ(decoded.rows, 360);
  EXPECT_NEAR(decoded.at<cv::Vec3b>(180, 100)[1], 230, 4);
  EXPECT_NEAR(decoded.at<cv::Vec3b>(180, 540)[1], 20, 4);
  EXPECT_EQ(log.lines(), (std::vector<RecordingLog::Line>{
                             {LogLevel::notice, "photo encoded w=640 h=360 type=jpeg bytes=" + std::to_string(photo.size())}}));

  // A 4:2:0 frame copy converts too.
  const Frame nv12{4, 2, PixelFormat::nv12, {Plane{std::vector<std::uint8_t>(8, 120), 4}, Plane{{128, 128, 128, 128}, 4}}};
  const std::string small = store.jpeg(*FrameCopy::make(nv12));
  const cv::Mat smallDecoded = cv::imdecode(std::vector<std::uint8_t>(small.begin(), small.end()), cv::IMREAD_COLOR);
  EXPECT_EQ(smallDecoded.size(), cv::Size(640, 320));
}

struct OtherSource : PhotoSource {};

PhotoStore::Failure::Kind failureOf(PhotoStore& store, const PhotoSource& source) {
  try {
    store.jpeg(source);
  } catch (const PhotoStore::Failure& failure) {
    EXPECT_FALSE(std::string(failure.what()).empty());
    return failure.kind;
  }
  ADD_FAILURE() << "no failure";
  return PhotoStore::Failure::Kind::encode;
}

TEST(PhotoStore, ItsFourFailures) {
  using Kind = PhotoStore::Failure::Kind;
  RecordingLog log;
  PhotoStore store(log);
  EXPECT_EQ(failureOf(store, OtherSource{}), Kind::notAFrameCopy);
  // A copy can be made of an odd-sized 4:2:0 frame, but it cannot be converted.
  const auto odd = FrameCopy::make({3, 3, PixelFormat::nv12, {Plane{std::vector<std::uint8_t>(9, 1), 3},
                                                               Plane{std::vector<std::uint8_t>(8, 1), 4}}});
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(failureOf(store, *odd), Kind::conversion);
  // A sliver 1 pixel wide would make a photo over a million pixels high.
  EXPECT_EQ(failureOf(store, *copyOf(cv::Mat(1800, 1, CV_8UC3, cv::Scalar(1, 2, 3)))), Kind::context);
  // JPEG holds at most 65500 rows.
  EXPECT_EQ(failureOf(store, *copyOf(cv::Mat(205, 2, CV_8UC3, cv::Scalar(1, 2, 3)))), Kind::encode);
  EXPECT_TRUE(log.lines().empty());
}

}  // namespace
}  // namespace kestrel
