#include <gtest/gtest.h>

#include <memory>
#include <opencv2/core.hpp>

#include "camera/frame_source.hpp"
#include "testing/fake_camera.hpp"
#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {
namespace {

constexpr Instant noon = 1773057600;  // 2026-03-09 12:00:00 UTC

FakeCamera::Camera camera(std::vector<FrameRateRange> rates) {
  return {"usb-laptop", {{1280, 720, "NV12", true, std::move(rates)}}, std::nullopt};
}

// A picture whose left half is red and right half blue.
Frame halves(int width, int height) {
  cv::Mat bgr(height, width, CV_8UC3, cv::Scalar(255, 0, 0));
  bgr(cv::Rect(0, 0, width / 2, height)).setTo(cv::Scalar(0, 0, 255));
  return frameFromBgr(bgr);
}

cv::Vec3b pixel(const Frame& frame, int x, int y) { return toBgr(frame).at<cv::Vec3b>(y, x); }

// The frame source with a running camera and a 480 × 270 preview. The main thread runs only
// when the test says so, so that a view that has not taken its picture yet can be played.
struct PreviewRig {
  ManualClock clock{noon};
  ManualExecutor main;
  RecordingLog log;
  FakeCamera* fake = nullptr;
  std::unique_ptr<FrameSource> source;
  Measurements scene;
  std::int64_t analyses = 0;
  std::vector<FrameSource::Preview> shown;

  explicit PreviewRig(std::vector<FrameRateRange> rates = {{1, 30}}) {
    auto device = std::make_unique<FakeCamera>(clock, std::vector<FakeCamera::Camera>{camera(std::move(rates))});
    fake = device.get();
    source = std::make_unique<FrameSource>(
        std::move(device),
        [this](const Frame&) {
          ++analyses;
          return scene;
        },
        clock, main, log);
    clock.setSettle([this] { source->flush(); });
    source->setChecksEnabled(false);  // as while calibrating: only the preview analyses
    source->start(std::nullopt);
  }
  ~PreviewRig() {
    clock.setSettle({});
    source.reset();
  }

  void startPreview() {
    source->startPreview(480, 270, [this](const FrameSource::Preview& p) { shown.push_back(p); });
    source->flush();
  }
  // Moves time on with the main thread taking every picture as it comes.
  void advanceTaking(Seconds seconds) {
    clock.setSettle([this] {
      source->flush();
      main.runPending();
    });
    clock.advance(seconds);
    clock.setSettle([this] { source->flush(); });
  }
};

TEST(FramePreview, ScalesThePictureToFitWithoutCroppingAndMirrorsIt) {
  struct Case {
    int width, height;
    int previewWidth, previewHeight;
  };
  const Case cases[] = {{1280, 720, 480, 270}, {640, 480, 360, 270}, {100, 400, 68, 270}, {16, 9, 480, 270}};
  for (const auto& c : cases) {
    PreviewRig rig;
    rig.fake->setPicture(halves(c.width, c.height));
    rig.startPreview();
    rig.advanceTaking(0.5);
    ASSERT_FALSE(rig.shown.empty()) << c.width;
    const Frame& picture = rig.shown.back().picture;
    EXPECT_EQ(picture.width, c.previewWidth) << c.width << "x" << c.height;
    EXPECT_EQ(picture.height, c.previewHeight) << c.width << "x" << c.height;
    // Like a mirror: the camera's right half (blue) is on the left.
    EXPECT_EQ(pixel(picture, 0, picture.height / 2), cv::Vec3b(255, 0, 0)) << c.width;
    EXPECT_EQ(pixel(picture, picture.width - 1, picture.height / 2), cv::Vec3b(0, 0, 255)) << c.width;
  }
}

TEST(FramePreview, DrawsTheFacesMirroredAndAnalysesTwiceASecondAndABurstKeepsTheRate) {
  PreviewRig rig;
  rig.fake->setPicture(halves(1280, 720));
  // The face fills the lower-left quarter's left half of the camera's frame (origin lower left).
  rig.scene = Measurements{1000, 1000, 0.5, {Face{{0, 0, 250, 500}, 0.0, 0.0}}, {}, {}};
  rig.startPreview();
  rig.advanceTaking(2);
  ASSERT_FALSE(rig.shown.empty());
  // Mirrored to the right, and at the bottom of a picture whose rows run downwards.
  EXPECT_EQ(rig.shown.back().faces, (std::vector<Rect>{{360, 135, 120, 135}}));
  EXPECT_EQ(rig.analyses, 4);  // 20 frames at ten a second, one analysed every half second

  rig.scene = Measurements{1000, 1000, 0.5, {}, {}, {}};
  rig.advanceTaking(0.5);
  EXPECT_EQ(rig.shown.back().faces, std::vector<Rect>{});

  // A burst during the preview leaves the preview's high rate behind it.
  std::vector<std::vector<Measurements>> bursts;
  rig.source->collectFrames(2, 0.25, [&](std::vector<Measurements> frames, double) { bursts.push_back(frames); });
  rig.advanceTaking(1);
  ASSERT_EQ(bursts.size(), 1U);
  EXPECT_EQ(bursts[0].size(), 2U);
  EXPECT_EQ(rig.fake->frameRate(), 10);
}

TEST(FramePreview, PostsAtMostFifteenPicturesASecond) {
  PreviewRig rig({{30, 30}});
  rig.startPreview();
  EXPECT_EQ(rig.fake->frameRate(), 30);
  rig.advanceTaking(1);
  EXPECT_EQ(rig.shown.size(), 15U);
  EXPECT_EQ(rig.source->previewCounts().posted, 15);
  EXPECT_EQ(rig.source->previewCounts().dropped, 0);
}

TEST(FramePreview, DropsPicturesWhileTheViewHasNotTakenTheLastOneAndShowsNoneAfterAStop) {
  PreviewRig rig;
  rig.startPreview();
  EXPECT_EQ(rig.fake->frameRate(), 10);  // the high rate while a preview runs
  rig.clock.advance(1);                   // ten frames; the main thread is busy
  EXPECT_EQ(rig.source->previewCounts().posted, 1);
  EXPECT_EQ(rig.source->previewCounts().dropped, 9);
  EXPECT_EQ(rig.main.runPending(), 1);  // one picture waits, not ten
  EXPECT_EQ(rig.shown.size(), 1U);
  rig.clock.advance(0.1);
  EXPECT_EQ(rig.source->previewCounts().posted, 2);
  rig.source->stopPreview();
  rig.source->flush();
  EXPECT_EQ(rig.fake->frameRate(), 1);
  rig.main.runPending();
  rig.advanceTaking(1);
  EXPECT_EQ(rig.shown.size(), 1U);  // not even the picture already on its way
  EXPECT_EQ(rig.source->previewCounts().posted, 2);
}

}  // namespace
}  // namespace kestrel
