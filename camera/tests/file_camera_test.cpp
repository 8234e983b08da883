#include "camera/file_camera.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"

namespace kestrel {
namespace {

constexpr Instant start = 0;  // small instants keep the frame times exact

// A 2-second video at 10 frames a second whose frame i is a flat grey of 10 * i.
class FileCameraTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::temp_directory_path() / ("kestrel-file-camera-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    cv::VideoWriter writer((folder_ / "count.avi").string(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10,
                           cv::Size(64, 36));
    ASSERT_TRUE(writer.isOpened());
    for (int i = 0; i < 20; ++i) writer.write(cv::Mat(36, 64, CV_8UC3, cv::Scalar::all(10 * i)));
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  struct Seen {
    Instant at;
    int grey;
    bool operator==(const Seen&) const = default;
  };

  void make(bool loop) {
    camera_ = std::make_unique<FileCamera>(clock_, video(), loop);
    camera_->setHandlers(
        queue_,
        [this](const CapturedFrame& frame) {
          const auto pixels = frame.pixels();
          ASSERT_TRUE(pixels);
          ASSERT_EQ(pixels->width, 64);
          seen_.push_back({frame.arrival() - start, pixels->planes[0].bytes[0]});
        },
        [this](const CaptureNotice& notice) { notices_.push_back(notice); });
    clock_.setSettle([this] { queue_.runPending(); });
    ASSERT_EQ(camera_->open(FileCamera::identifier(video())), std::nullopt);
  }

  void TearDown() override {
    clock_.setSettle({});
    camera_.reset();
  }

  static std::filesystem::path video() { return folder_ / "count.avi"; }

  static std::vector<int> greys(const std::vector<Seen>& seen) {
    std::vector<int> result;
    for (const auto& s : seen) result.push_back(s.grey);
    return result;
  }

  static inline std::filesystem::path folder_;
  ManualClock clock_{start};
  ManualExecutor queue_;
  std::unique_ptr<FileCamera> camera_;
  std::vector<Seen> seen_;
  std::vector<CaptureNotice> notices_;
};

TEST_F(FileCameraTest, IsOneCameraWithOneFormatPlayingEveryFrameInRealTimeThenStopping) {
  make(false);
  EXPECT_EQ(camera_->cameras(), (std::vector<std::string>{"file:" + video().string()}));
  EXPECT_EQ(camera_->formats(), (std::vector<DeviceFormat>{{64, 36, "BGR3", false, {{1, 10}}}}));
  EXPECT_TRUE(camera_->setActiveFormat(0));
  EXPECT_FALSE(camera_->setActiveFormat(1));
  EXPECT_EQ(camera_->setFrameRate(60), (FrameRateRange{10, 10}));
  EXPECT_EQ(camera_->setFrameRate(0.5), (FrameRateRange{1, 1}));
  EXPECT_EQ(camera_->open("file:/elsewhere.avi")->kind, CaptureError::Kind::missing);
  FileCamera absent(clock_, folder_ / "absent.avi", false);
  EXPECT_EQ(absent.open(FileCamera::identifier(folder_ / "absent.avi"))->kind, CaptureError::Kind::missing);

  camera_->setFrameRate(10);
  camera_->startRunning();
  EXPECT_TRUE(camera_->isRunning());
  clock_.advance(2.0);
  ASSERT_EQ(seen_.size(), 20U);
  EXPECT_EQ(seen_.front(), (Seen{0.1, 0}));  // the first frame one frame time after the start
  EXPECT_EQ(seen_.back(), (Seen{2.0, 190}));
  for (std::size_t i = 0; i < seen_.size(); ++i) EXPECT_EQ(seen_[i].grey, 10 * static_cast<int>(i)) << i;
  EXPECT_TRUE(notices_.empty());
  clock_.advance(0.5);  // past the end: the camera stops by itself
  EXPECT_EQ(seen_.size(), 20U);
  EXPECT_FALSE(camera_->isRunning());
  EXPECT_EQ(notices_, (std::vector<CaptureNotice>{{CaptureNoticeKind::stopped, {}}}));
}

TEST_F(FileCameraTest, ASlowerRateShowsEachMomentAStopPausesAndLoopingStartsAgain) {
  make(true);
  camera_->setFrameRate(2);
  camera_->startRunning();
  clock_.advance(2.0);
  EXPECT_EQ(seen_, (std::vector<Seen>{{0.5, 0}, {1.0, 50}, {1.5, 100}, {2.0, 150}}));
  camera_->setFrameRate(10);  // a burst: from the last frame on at the full rate
  clock_.advance(0.2);
  camera_->stopRunning();
  EXPECT_FALSE(camera_->isRunning());
  clock_.advance(30);
  EXPECT_EQ(greys(seen_), (std::vector<int>{0, 50, 100, 150, 160, 170}));
  camera_->startRunning();
  clock_.advance(0.5);  // frames 18 and 19, then the video again from its start
  EXPECT_EQ(greys(seen_), (std::vector<int>{0, 50, 100, 150, 160, 170, 180, 190, 0, 10, 20}));
  EXPECT_DOUBLE_EQ(seen_[6].at, 32.3);
  EXPECT_TRUE(notices_.empty());
  EXPECT_TRUE(camera_->isRunning());
}

}  // namespace
}  // namespace kestrel
