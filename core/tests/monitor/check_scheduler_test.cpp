#include "core/monitor/check_scheduler.hpp"

#include <gtest/gtest.h>

#include "core/launch/capture_guard.hpp"

namespace kestrel {
namespace {

struct Step {
  Instant now;
  bool taken;
  std::optional<Instant> nextDue;
};

void run(CheckScheduler& s, const std::vector<Step>& steps) {
  for (const auto& step : steps) {
    EXPECT_EQ(s.takeCheck(step.now), step.taken) << "at " << step.now;
    EXPECT_EQ(s.nextCheckDue(), step.nextDue) << "at " << step.now;
  }
}

TEST(CheckScheduler, KeepsItsGridThroughSmallDelaysAndRestartsAfterAGap) {
  CheckScheduler s(Thresholds{});
  run(s, {
             {0, true, 15},
             {14.99, false, 15},
             {15.2, true, 30},   // 0.2 s late: stays on the grid
             {30.1, true, 45},
             {44.9, false, 45},
             {45.0, true, 60},   // exactly due
             {80, true, 95},     // 20 s past due: the grid restarts at 80
         });
}

TEST(CheckScheduler, TheSlackIsInclusive) {
  struct Case {
    Instant now;
    Instant lastAfter;
  };
  // Last check at 45, due at 60.
  const Case cases[] = {{60, 60}, {62.5, 60}, {63.0, 60}, {63.01, 63.01}, {75, 75}, {90.5, 90.5}};
  for (const auto& c : cases) {
    CheckScheduler s(Thresholds{});
    s.lastCheckAt = 45;
    EXPECT_TRUE(s.takeCheck(c.now)) << c.now;
    EXPECT_EQ(s.lastCheckAt, c.lastAfter) << c.now;
  }
}

TEST(CheckScheduler, ANewIntervalCountsFromTheLastCheck) {
  CheckScheduler s(Thresholds{});
  EXPECT_TRUE(s.takeCheck(100));
  s.setInterval(60);
  EXPECT_EQ(s.lastCheckAt, 100);
  run(s, {{115, false, 160}, {159.9, false, 160}, {161, true, 220}});
  // Shorter again: a check already overdue is taken at once, and the grid restarts when
  // that is later than the slack.
  s.setInterval(15);
  run(s, {{200, true, 215}});
}

TEST(CheckScheduler, BurstTimesFollowTheStartAndAlwaysHoldOne) {
  CheckScheduler s(Thresholds{});
  EXPECT_EQ(s.burstTimes(10, 3), (std::vector<Instant>{10.5, 11.0, 11.5}));
  EXPECT_EQ(s.burstTimes(10, 0), (std::vector<Instant>{10.5}));
  EXPECT_EQ(s.burstTimes(10, 1), (std::vector<Instant>{10.5}));
}

TEST(CaptureGuard, TakesTheCameraOnlyFromAPausedOrAbsentApplication) {
  using G = CaptureGuard;
  struct Case {
    bool running;
    std::optional<bool> paused;
    G::Decision decision;
  };
  const Case cases[] = {
      {false, std::nullopt, G::Allow{}},
      {false, false, G::Allow{}},
      {true, true, G::Allow{}},
      {true, std::nullopt, G::Refuse{"Kestrel is running and its pause state can't be read. Quit it first."}},
      {true, false, G::Refuse{"Kestrel is running. Pause it (Pause until resumed) or quit it first."}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(G::decide(c.running, c.paused), c.decision) << c.running << " " << c.paused.value_or(-1);
  }
}

TEST(CaptureGuard, NamesEveryActiveCameraEffect) {
  EXPECT_EQ(CaptureGuard::decideEffects({}), std::nullopt);
  EXPECT_EQ(CaptureGuard::decideEffects({"Portrait"}), "Turn off camera effects first: Portrait.");
  EXPECT_EQ(CaptureGuard::decideEffects({"Portrait", "Studio Light", "Reactions"}),
            "Turn off camera effects first: Portrait, Studio Light, Reactions.");
}

}  // namespace
}  // namespace kestrel
