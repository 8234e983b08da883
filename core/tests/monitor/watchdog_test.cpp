#include "core/monitor/watchdog.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Action = Watchdog::Action;

TEST(Watchdog, RestartsThenStopsThenWaitsForAFrame) {
  Watchdog w;
  w.arm(0);
  const std::pair<Instant, std::optional<Action>> ticks[] = {
      {59, std::nullopt}, {60, Action::restart}, {119, std::nullopt}, {120, Action::stop}, {500, std::nullopt}};
  for (const auto& [at, action] : ticks) EXPECT_EQ(w.tick(at, true), action) << at;
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Stopped{}});
  w.arm(600);  // already armed: nothing changes
  EXPECT_EQ(w.lastFrameAt, 0);
  w.disarm();
  w.arm(600);
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Ok{}});
  EXPECT_EQ(w.tick(659, true), std::nullopt);
  EXPECT_EQ(w.tick(660, true), Action::restart);
}

TEST(Watchdog, LoweredTimeoutKeepsTheLongerWaitUntilAFrame) {
  Watchdog w;
  w.setTimeout(330);
  w.arm(0);
  w.setTimeout(60);
  EXPECT_EQ(w.timeout, 60);
  EXPECT_EQ(w.heldTimeout, 330);
  EXPECT_EQ(w.tick(329, true), std::nullopt);
  EXPECT_EQ(w.tick(330, true), Action::restart);
  // The held limit also spaces the stop.
  EXPECT_EQ(w.tick(659, true), std::nullopt);
  EXPECT_EQ(w.tick(660, true), Action::stop);
}

TEST(Watchdog, TimeoutChanges) {
  struct Case {
    const char* name;
    bool armed;
    std::vector<Seconds> settings;
    Seconds timeout;
    std::optional<Seconds> held;
  };
  const Case cases[] = {
      {"unarmed lowering holds nothing", false, {330, 60}, 60, std::nullopt},
      {"armed raising", true, {60, 150}, 150, std::nullopt},
      {"armed equal", true, {90, 90}, 90, std::nullopt},
      {"lowered twice keeps the longest", true, {330, 150, 60}, 60, 330},
      {"lowered then raised past the held wait", true, {150, 60, 330}, 330, 150},
      {"lowered then raised below the held wait", true, {330, 60, 90}, 90, 330},
  };
  for (const auto& c : cases) {
    Watchdog w;
    w.setTimeout(c.settings.front());
    if (c.armed) w.arm(0);
    for (std::size_t i = 1; i < c.settings.size(); ++i) w.setTimeout(c.settings[i]);
    EXPECT_EQ(std::tuple(w.timeout, w.heldTimeout), std::tuple(c.timeout, c.held)) << c.name;
  }
}

TEST(Watchdog, NeverActsWhileNotRunningOrUnarmed) {
  Watchdog w;
  EXPECT_EQ(w.tick(1e6, true), std::nullopt);
  w.arm(0);
  for (Instant t : {60.0, 1e3, 1e6}) EXPECT_EQ(w.tick(t, false), std::nullopt);
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Ok{}});
}

}  // namespace
}  // namespace kestrel
