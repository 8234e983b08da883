#include "camera/v4l2_camera.hpp"

#include <gtest/gtest.h>

#include "testing/manual_clock.hpp"
#include "testing/recording_log.hpp"

namespace kestrel {
namespace {

// No camera needs to be attached: these hold on any machine.
TEST(V4l2Camera, NamesOnlyCamerasThatExistAndOpensNoOther) {
  ManualClock clock(0);
  RecordingLog log;
  V4l2Camera camera(clock, log);
  const auto ids = camera.cameras();
  for (const auto& id : ids) EXPECT_FALSE(id.empty());
  const auto error = camera.open("no such camera");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, CaptureError::Kind::missing);
  EXPECT_TRUE(camera.formats().empty());
  EXPECT_EQ(camera.activeFormat(), std::nullopt);
  EXPECT_EQ(camera.setFrameRate(10), std::nullopt);
  EXPECT_FALSE(camera.setActiveFormat(0));
  camera.startRunning();  // nothing open: nothing happens
  EXPECT_FALSE(camera.isRunning());
  EXPECT_TRUE(camera.activeEffects().empty());
  EXPECT_FALSE(camera.framingEnabled());
  if (ids.empty()) {
    EXPECT_EQ(camera.permission(), CameraPermission::authorized);
  }
}

}  // namespace
}  // namespace kestrel
