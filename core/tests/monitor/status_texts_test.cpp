#include "core/monitor/status_texts.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/monitor_harness.hpp"

namespace kestrel {
namespace {

using namespace testing;

Monitor after(const std::vector<MonitorInput>& inputs, bool calibrated = true) {
  Monitor m = makeMonitor(calibrated);
  for (const auto& in : inputs) m.handle(in);
  return m;
}

std::vector<MonitorInput> checks(const CheckResult& c, int n, Instant start = 0) {
  std::vector<MonitorInput> out;
  for (int i = 0; i < n; ++i) out.push_back(input::Check{c, start + 15 * i});
  return out;
}

std::vector<MonitorInput> operator+(std::vector<MonitorInput> a, const std::vector<MonitorInput>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

constexpr Instant later = 10000;

TEST(MenuIcon, FirstMatchingRuleWins) {
  using S = MenuIconState;
  struct Case {
    const char* name;
    Monitor monitor;
    bool permissionNeeded;
    MenuIconState state;
  };
  const Case cases[] = {
      {"permission needed, uncalibrated, asleep", after({input::System{SystemEvent::sleep, 0}}, false), true,
       S::cameraProblem},
      {"permission needed, calibrated, asleep", after({input::System{SystemEvent::sleep, 0}}), true, S::idle},
      {"permission needed while calibrating", after({input::CalibrationStarted{0}}, false), true, S::idle},
      {"permission needed, calibrated", after({}), true, S::cameraProblem},
      {"uncalibrated", after({}, false), false, S::idle},
      {"locked", after(checks(judged(good()), 1) + std::vector<MonitorInput>{input::System{SystemEvent::lock, 20}}), false,
       S::idle},
      {"paused indefinitely", after({input::Pause{std::nullopt, 0}}), false, S::idle},
      {"timed pause", after({input::Pause{later + 1, 0}}), false, S::idle},
      {"a timed pause that ended before its tick came",
       after({input::Pause{later, 0}, input::Check{judged(bad()), later}}), false, S::bad},
      {"a pause that just ended forgot the reading",
       after(checks(judged(bad()), 1) + std::vector<MonitorInput>{input::Pause{later, 20}}), false, S::idle},
      {"camera missing", after({input::CameraMissing{0}}), false, S::cameraProblem},
      {"camera stopped, then back",
       after({input::CameraStarted{0}, input::Tick{60}, input::Tick{120}, input::FrameArrived{130}}), false, S::idle},
      {"away", after(checks(judged(good()), 1) + checks(skipped(SkipReason::dark), 4, 15)), false, S::idle},
      {"no reading yet", after({}), false, S::idle},
      {"a single bad check before any alert", after(checks(judged(bad()), 1)), false, S::bad},
      {"a good check while an alert is raised", after(checks(judged(bad()), 4) + checks(judged(good(false)), 1, 60)),
       false, S::good},
  };
  for (const auto& c : cases) EXPECT_EQ(menuIcon(c.monitor, later, c.permissionNeeded).state, c.state) << c.name;
}

TEST(MonitorStatus, FirstMatchingRuleWins) {
  CheckResult smallFace = judged(good());
  smallFace.baseline = Baseline{};
  smallFace.baseline->faceHeight = 0.5;
  smallFace.faceHeightRatio = 0.35;
  struct Case {
    const char* name;
    Monitor monitor;
    std::string status;
  };
  const Case cases[] = {
      {"paused beats a stopped camera",
       after({input::CameraStarted{0}, input::Tick{60}, input::Tick{120}, input::Pause{std::nullopt, 130}}), "Paused"},
      {"the menu's pause", after({input::Pause{later + 3000, later - 600}}), "Paused for an hour"},
      {"a pause of seconds", after({input::Pause{later + 20, later - 10}}), "Paused for 1 min"},
      {"a pause of minutes", after({input::Pause{later + 1770, later - 30}}), "Paused for 30 min"},
      {"a pause of hours", after({input::Pause{later + 5000, later - 400}}), "Paused for 1 h 30 min"},
      {"a pause of a day", after({input::Pause{later + 86000, later - 400}}), "Paused for 24 h"},
      {"camera stopped beats missing", after({input::CameraStarted{0}, input::Tick{60}, input::Tick{120}}),
       "Camera stopped"},
      {"camera missing beats calibrating", after({input::CalibrationStarted{0}, input::CameraMissing{1}}),
       "Laptop camera unavailable"},
      {"calibrating", after({input::CalibrationStarted{0}}, false), "Calibrating"},
      {"not calibrated", after({}, false), "Not calibrated · choose Calibrate…"},
      {"camera effects beat away",
       after(checks(skipped(SkipReason::dark), 4) + checks(skipped(SkipReason::cameraEffects), 1, 100)),
       "Turn off camera effects"},
      {"away, the latest check dark", after(checks(skipped(SkipReason::noFace), 3) + checks(skipped(SkipReason::dark), 1, 50)),
       "Too dark to see you"},
      {"away, the latest check without a face",
       after(checks(skipped(SkipReason::dark), 3) + checks(skipped(SkipReason::noFace), 1, 50)), "Away"},
      {"degraded", after(checks(skipped(SkipReason::yawOutOfRange, true), 40)),
       "Facing away from the screen · Recalibrate?"},
      {"stale", after(checks(smallFace, 40)), "Camera may have moved"},
      {"a hidden head alert gives way to the hand alert",
       after(checks(judged(bad(), HandVerdict::bad), 4) + std::vector<MonitorInput>{input::Wrong{AlertModule::head, 60}}),
       handHint},
      {"hint of the head alert first", after(checks(judged(bad(), HandVerdict::bad), 4)), forwardHint},
      {"hide-glow hides the hints",
       after(checks(judged(bad(HeadCause::leanIn)), 4) + std::vector<MonitorInput>{input::HideGlow{later + 1, 60}}),
       "Watching"},
      {"nothing to say", after(checks(judged(good()), 3)), "Watching"},
  };
  for (const auto& c : cases) EXPECT_EQ(monitorStatus(c.monitor, later), c.status) << c.name;
}

TEST(MonitorStatus, LastCheckText) {
  const HeadResult mixedHead = inconclusive(InconclusiveReason::mixed);
  struct Case {
    const char* name;
    Monitor monitor;
    std::string text;
  };
  const Case cases[] = {
      {"nothing yet", after({}), "No check yet"},
      {"skipped", after(checks(skipped(SkipReason::yawOutOfRange), 1)), "Last check skipped: looking away"},
      {"head and hand bad, only the head alerted",
       after(checks(judged(bad()), 3) + checks(judged(bad(HeadCause::tooClose), HandVerdict::bad), 1, 45)),
       "Last check: too close, hand at chin · no alert yet"},
      {"head bad and alerted", after(checks(judged(bad()), 4)), "Last check: head forward"},
      {"bad without a cause", after(checks(judged(bad(std::nullopt)), 1)), "Last check: head forward · no alert yet"},
      {"leaning in", after(checks(judged(bad(HeadCause::leanIn)), 1)), "Last check: leaning in · no alert yet"},
      {"hand alone, alerted", after(checks(judged(good(), HandVerdict::bad), 2)), "Last check: hand at chin"},
      {"hand alone, not alerted", after(checks(judged(good(), HandVerdict::bad), 1)),
       "Last check: hand at chin · no alert yet"},
      {"the frames disagreed", after(checks(judged(mixedHead), 1)), "Last check: the frames disagreed"},
      {"a bad hand outweighs mixed frames", after(checks(judged(mixedHead, HandVerdict::bad), 1)),
       "Last check: hand at chin · no alert yet"},
      {"good", after(checks(judged(good(false), HandVerdict::snoozed), 1)), "Last check: good"},
      {"looking down", after(checks(judged(inconclusive(InconclusiveReason::lookingDown)), 1)),
       "Last check: not judged (looking down)"},
      {"inconclusive without a reason", after(checks(judged(inconclusive(std::nullopt)), 1)), "Last check: not judged"},
  };
  for (const auto& c : cases) EXPECT_EQ(lastCheckText(c.monitor), c.text) << c.name;
}

TEST(TodaySummary, AgeOfTheLastCheck) {
  const std::pair<std::optional<Instant>, const char*> cases[] = {
      {std::nullopt, "no check yet"},       {later, "checked 0 s ago"},         {later - 59.9, "checked 59 s ago"},
      {later - 60, "checked 1 min ago"},    {later - 3599.9, "checked 59 min ago"}, {later - 3600, "checked 1 h ago"},
      {later - 7199, "checked 1 h ago"},    {later - 90000, "checked 25 h ago"},  {later + 30, "checked 0 s ago"},
  };
  for (const auto& [since, text] : cases) EXPECT_EQ(TodaySummary::ageText(since, later), text) << text;
}

TEST(TodaySummary, BundlesTheMonitorsTexts) {
  Monitor m = after(checks(judged(bad()), 1, later - 75));
  const TodaySummary denied(m, CameraPermission::denied, 72, later);
  EXPECT_EQ(denied.status, "Camera access needed");
  EXPECT_EQ(denied.icon, MenuIcon{MenuIconState::cameraProblem});
  EXPECT_EQ(denied.age, "checked 1 min ago");
  EXPECT_EQ(denied.scoreText, "72 %");
  EXPECT_EQ(denied.lastCheck, "Last check: head forward · no alert yet");
  EXPECT_EQ(TodaySummary(m, CameraPermission::restricted, 0, later).scoreText, "0 %");

  for (auto permission : {CameraPermission::notDetermined, CameraPermission::authorized}) {
    const TodaySummary fine(m, permission, std::nullopt, later);
    EXPECT_EQ(fine.status, "Watching");
    EXPECT_EQ(fine.icon, MenuIcon{MenuIconState::bad});
    EXPECT_EQ(fine.scoreText, "—");
  }
  EXPECT_EQ(TodaySummary::statusText(after({}, false), CameraPermission::restricted, later), "Camera access needed");
}

}  // namespace
}  // namespace kestrel
