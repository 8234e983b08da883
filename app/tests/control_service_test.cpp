#include "app/control_service.hpp"

#include <gtest/gtest.h>

#include "app/tests/controller_rig.hpp"

namespace kestrel {
namespace {

using testing::ControllerRig;
using Lines = std::vector<std::string>;

TEST(ControlService, MethodsActAsTheMenuItemsAndRefusedDurationsChangeNothing) {
  ControllerRig rig;
  rig.start();
  rig.advance(4);
  ControlService service(*rig.controller);
  const auto state = rig.state();
  for (qlonglong bad : {-1LL, 86401LL}) service.Pause(bad);
  for (qlonglong bad : {0LL, -5LL, 90000LL}) {
    service.SnoozeHandAlerts(bad);
    service.HideGlow(bad);
  }
  EXPECT_EQ(rig.written, (Lines{"event launch", "check"}));
  EXPECT_EQ(rig.state(), state);
  EXPECT_FALSE(rig.controller->monitor().isPaused(rig.clock.now()));

  const Instant at = rig.clock.now();
  service.SnoozeHandAlerts(1800);
  EXPECT_EQ(rig.controller->monitor().snoozedUntil(), at + 1800);
  service.HideGlow(600);
  EXPECT_EQ(rig.controller->monitor().hideGlowUntil(), at + 600);
  service.Pause(3600);
  EXPECT_EQ(rig.controller->monitor().pausedUntil(), at + 3600);
  EXPECT_TRUE(service.paused());
  service.Resume();
  // Check now takes the next frame, though the next check is due 60 s after the first.
  rig.advance(10);
  EXPECT_EQ(rig.controller->checkNow(), std::nullopt);
  rig.advance(4);
  EXPECT_FALSE(service.lastCheckAt().isEmpty());
  service.Pause(0);
  EXPECT_EQ(rig.controller->checkNow(), "Kestrel is paused; resume it first.");
  EXPECT_TRUE(rig.state()->pausedIndefinitely);
  EXPECT_EQ(service.status().toStdString(), "Paused");
  service.OpenWindow();
  service.Calibrate();
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "event snooze", "event hide_glow", "event pause", "event resume",
                                "check", "event pause", "event calibration_start"}));
  EXPECT_TRUE(rig.desktop.open);
}

TEST(ControlService, ApplicationPathFollowsTheId) {
  EXPECT_EQ(ControlService::applicationPath("io.github.kestrel.Kestrel"), "/io/github/kestrel/Kestrel");
  EXPECT_EQ(ControlService::applicationPath("io.github.kestrel.Kestrel.e2e"), "/io/github/kestrel/Kestrel/e2e");
}

}  // namespace
}  // namespace kestrel
