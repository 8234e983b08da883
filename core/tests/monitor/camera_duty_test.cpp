#include "core/monitor/camera_duty.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Mode = CameraDuty::Mode;
using DozeState = CameraDuty::DozeState;

TEST(CameraDuty, ModeFromTheStoredSetting) {
  struct Case {
    std::optional<std::string_view> setting;
    Mode mode;
  };
  const Case cases[] = {{"steady", Mode::steady}, {"off", Mode::off}, {std::nullopt, Mode::off}, {"Steady", Mode::off}};
  for (const auto& c : cases) EXPECT_EQ(CameraDuty::modeFromSetting(c.setting), c.mode) << c.setting.value_or("(none)");
}

TEST(CameraDuty, SettledAfterExactlyOneSecondAndWakesTwoAndAHalfSecondsEarly) {
  EXPECT_FALSE(CameraDuty::settled(100.999, 100));
  EXPECT_TRUE(CameraDuty::settled(101, 100));
  EXPECT_FALSE(CameraDuty::settled(99, 100));
  EXPECT_EQ(CameraDuty::wakeAt(160), 157.5);
}

TEST(CameraDuty, DozesOnlyWhenOffWantedAndNotCalibrating) {
  struct Case {
    Mode mode;
    bool calibrating;
    bool wanted;
    bool mayDoze;
  };
  const Case cases[] = {
      {Mode::off, false, true, true},     {Mode::off, true, true, false},     {Mode::off, false, false, false},
      {Mode::steady, false, true, false}, {Mode::steady, true, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CameraDuty::mayDoze(c.mode, c.calibrating, c.wanted), c.mayDoze)
        << toText(c.mode) << " calibrating=" << c.calibrating << " wanted=" << c.wanted;
  }
}

TEST(DozeState, OnlyTheCurrentPlansTimerWakesTheCamera) {
  DozeState d;
  EXPECT_FALSE(d.wake(0));           // nothing planned
  EXPECT_FALSE(d.endForSetting());  // no doze for steady to end
  EXPECT_EQ(d, (DozeState{false, 0}));
  EXPECT_EQ(d.plan(), 1);
  EXPECT_EQ(d.plan(), 2);  // re-planned: the first timer is stale
  EXPECT_FALSE(d.wake(1));
  EXPECT_TRUE(d.wake(2));
  EXPECT_EQ(d, (DozeState{false, 2}));  // a successful wake keeps the generation
  EXPECT_FALSE(d.wake(2));              // and fires only once
  // Cancelling, dozing or awake, makes earlier timers stale.
  d.plan();
  d.cancel();
  EXPECT_EQ(d, (DozeState{false, 4}));
  d.cancel();
  EXPECT_EQ(d.generation, 5);
  // Switching to steady ends a real doze and its timer.
  const auto g = d.plan();
  EXPECT_TRUE(d.endForSetting());
  EXPECT_EQ(d, (DozeState{false, 7}));
  EXPECT_FALSE(d.wake(g));
}

}  // namespace
}  // namespace kestrel
