#include "camera/photo_store.hpp"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "camera/frame_copy.hpp"
#include "camera/mjpeg_decoder.hpp"
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

// The photo read back through libjpeg-turbo, as BGR; empty when it is not a whole JPEG.
cv::Mat decoded(const std::string& photo) {
  const auto frame = MjpegDecoder::decode({reinterpret_cast<const std::uint8_t*>(photo.data()), photo.size()});
  return frame ? toBgr(*frame) : cv::Mat();
}

// A JFIF file: its start of image, then the JFIF marker segment, which says YCbCr in sRGB.
bool isJfif(const std::string& photo) {
  return photo.size() > 11 && photo.compare(0, 4, "\xFF\xD8\xFF\xE0") == 0 &&
         photo.compare(6, 5, std::string("JFIF\0", 5)) == 0;
}

// The first step of the first quantisation table: the standard luma table's 16 scaled to the
// quality (10 at quality 70); -1 without a table.
int firstLumaStep(const std::string& photo) {
  const auto at = photo.find("\xFF\xDB");
  return at == std::string::npos || at + 5 >= photo.size() ? -1 : static_cast<std::uint8_t>(photo[at + 5]);
}

TEST(PhotoStore, EncodesAMirroredJpegAndLogsIt) {
  RecordingLog log;
  PhotoStore store(log);
  // Left half dark, right half bright: mirrored, the bright half is on the left.
  cv::Mat frame(720, 1280, CV_8UC3, cv::Scalar(20, 20, 20));
  frame(cv::Rect(640, 0, 640, 720)).setTo(cv::Scalar(230, 230, 230));
  const std::string photo = store.jpeg(*copyOf(frame));
  EXPECT_TRUE(isJfif(photo));
  EXPECT_EQ(firstLumaStep(photo), 10);
  const cv::Mat image = decoded(photo);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.cols, 640);
  EXPECT_EQ(image.rows, 360);
  EXPECT_NEAR(image.at<cv::Vec3b>(180, 100)[1], 230, 4);
  EXPECT_NEAR(image.at<cv::Vec3b>(180, 540)[1], 20, 4);
  EXPECT_EQ(log.lines(), (std::vector<RecordingLog::Line>{
                             {LogLevel::notice, "photo encoded w=640 h=360 type=jpeg bytes=" + std::to_string(photo.size())}}));

  // A 4:2:0 frame copy converts too.
  const Frame nv12{4, 2, PixelFormat::nv12, {Plane{std::vector<std::uint8_t>(8, 120), 4}, Plane{{128, 128, 128, 128}, 4}}};
  const std::string small = store.jpeg(*FrameCopy::make(nv12));
  EXPECT_EQ(decoded(small).size(), cv::Size(640, 320));
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
