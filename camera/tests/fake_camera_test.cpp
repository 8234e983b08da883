#include "testing/fake_camera.hpp"

#include <gtest/gtest.h>

#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"

namespace kestrel {
namespace {

constexpr Instant noon = 1773057600;  // 2026-03-09 12:00:00 UTC

FakeCamera::Camera webcam(std::string id, std::vector<FrameRateRange> rates = {{1, 12.5}}) {
  return {std::move(id), {{1280, 720, "YU12", true, std::move(rates)}}, std::nullopt};
}

// A fake camera handing frames and notices to the test's own queue.
struct Rig {
  ManualClock clock{noon};
  ManualExecutor queue;
  FakeCamera camera{clock, {webcam("vivid @ platform:vivid-000"), webcam("usb-Other-video-index0")}};
  std::vector<CaptureNotice> notices;
  std::int64_t frames = 0;

  Rig() {
    clock.setSettle([this] { queue.runPending(); });
    camera.setHandlers(
        queue, [this](const CapturedFrame&) { ++frames; },
        [this](const CaptureNotice& notice) { notices.push_back(notice); });
  }
  ~Rig() { clock.setSettle({}); }
  void advance(Seconds seconds) { clock.advance(seconds); }
};

TEST(FakeCamera, AnUnpluggedCameraTellsItsLossOnceAndComesBackWhenPlugged) {
  Rig rig;
  rig.camera.unplug();  // nothing open: nothing to lose
  EXPECT_TRUE(rig.notices.empty());

  ASSERT_EQ(rig.camera.open("vivid @ platform:vivid-000"), std::nullopt);
  rig.camera.setFrameRate(10);
  rig.camera.startRunning();
  rig.advance(1);
  EXPECT_EQ(rig.frames, 10);

  rig.camera.unplug();
  rig.camera.unplug();  // already gone
  EXPECT_EQ(rig.notices, (std::vector<CaptureNotice>{{CaptureNoticeKind::disconnected, "vivid @ platform:vivid-000"}}));
  EXPECT_FALSE(rig.camera.isRunning());
  rig.advance(1);
  EXPECT_EQ(rig.frames, 10);
  EXPECT_EQ(rig.camera.cameras(), (std::vector<std::string>{"usb-Other-video-index0"}));

  rig.notices.clear();
  rig.camera.startRunning();  // the lost camera cannot stream
  EXPECT_EQ(rig.notices, (std::vector<CaptureNotice>{{CaptureNoticeKind::runtimeError, ""}}));
  EXPECT_FALSE(rig.camera.isRunning());
  EXPECT_EQ(rig.camera.open("vivid @ platform:vivid-000").value().kind, CaptureError::Kind::missing);

  rig.notices.clear();
  rig.camera.plug(webcam("vivid @ platform:vivid-000"));
  EXPECT_EQ(rig.notices, (std::vector<CaptureNotice>{{CaptureNoticeKind::connected, ""}}));
  EXPECT_EQ(rig.camera.cameras(), (std::vector<std::string>{"usb-Other-video-index0", "vivid @ platform:vivid-000"}));
  ASSERT_EQ(rig.camera.open("vivid @ platform:vivid-000"), std::nullopt);
  rig.camera.startRunning();
  EXPECT_TRUE(rig.camera.isRunning());
  rig.advance(1);
  EXPECT_GT(rig.frames, 10);
}

}  // namespace
}  // namespace kestrel
