#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "camera/file_camera.hpp"
#include "camera/frame_source.hpp"
#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"
#include "camera/photo_store.hpp"
#include "testing/recording_log.hpp"
#include "vision/analyzer.hpp"

namespace kestrel {
namespace {

constexpr Instant start = 1773057600;

// The frame source with a video as its camera and the real analyzer: a check frame with the
// face of the photo the video was made of, then a burst of three like it.
TEST(FrameSourceOnVideo, FindsTheFaceInACheckAndItsBurst) {
  const auto folder = std::filesystem::temp_directory_path() / ("kestrel-frame-source-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto video = folder / "sitting.avi";
  {
    const cv::Mat photo = cv::imread(std::string(KESTREL_TEST_PHOTOS) + "/227943776_1.jpg", cv::IMREAD_COLOR);
    ASSERT_FALSE(photo.empty()) << "missing test photo (Debian package opencv-doc)";
    cv::VideoWriter writer(video.string(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10, photo.size());
    ASSERT_TRUE(writer.isOpened());
    for (int i = 0; i < 20; ++i) writer.write(photo);
  }

  ManualClock clock(start);
  ManualExecutor main;
  RecordingLog log;
  auto analyzer = std::make_shared<Analyzer>();
  auto source = std::make_unique<FrameSource>(std::make_unique<FileCamera>(clock, video, true), analysisBy(analyzer),
                                              clock, main, log);
  std::vector<Measurements> checks;
  std::vector<Instant> checkTimes;
  std::shared_ptr<const FrameCopy> copy;
  std::vector<std::vector<Measurements>> bursts;
  source->onCheckFrame = [&](Measurements m, double, Instant at, std::shared_ptr<const FrameCopy> frame) {
    checks.push_back(std::move(m));
    checkTimes.push_back(at);
    copy = std::move(frame);
    source->collectFrames(3, 0.5, [&](std::vector<Measurements> frames, double) { bursts.push_back(std::move(frames)); });
  };
  clock.setSettle([&] {
    do {
      source->flush();
    } while (main.runPending() > 0);
  });
  source->setCopyCheckFrames(true);
  EXPECT_EQ(source->start(std::nullopt), FileCamera::identifier(video));
  clock.advance(3);

  ASSERT_EQ(checks.size(), 1U);
  EXPECT_EQ(checkTimes[0], start + 1);
  EXPECT_EQ(checks[0].frameWidth, 434);
  EXPECT_EQ(checks[0].faces.size(), 1U);
  ASSERT_EQ(bursts.size(), 1U);
  ASSERT_EQ(bursts[0].size(), 3U);
  for (const auto& frame : bursts[0]) {
    EXPECT_EQ(frame.faces.size(), 1U);
    EXPECT_EQ(frame.bodies.size(), checks[0].bodies.size());
  }
  ASSERT_NE(copy, nullptr);
  PhotoStore photos(log);
  const std::string jpeg = photos.jpeg(*copy);
  EXPECT_EQ(log.messages().back(), "photo encoded w=640 h=640 type=jpeg bytes=" + std::to_string(jpeg.size()));

  clock.setSettle({});
  source.reset();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrel
