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
  EXPECT_EQ(camera.open("no such camera").value().kind, CaptureError::Kind::missing);
  // Nothing open: no format to choose, no rate to set, nothing to start.
  EXPECT_TRUE(camera.formats().empty());
  EXPECT_EQ(camera.setFrameRate(10), std::nullopt);
  EXPECT_FALSE(camera.setActiveFormat(0));
  camera.startRunning();
  EXPECT_FALSE(camera.isRunning());
  if (ids.empty()) {
    EXPECT_EQ(camera.permission(), CameraPermission::authorized);
  }
}

}  // namespace
}  // namespace kestrel
