#include "core/monitor/monitor.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "core/tests/support/monitor_harness.hpp"

namespace kestrel {
namespace {

using namespace testing;
using C = MonitorCommand;

void expectOutput(const MonitorOutput& out, const Events& events, const Commands& commands, const char* what = "") {
  EXPECT_EQ(out.events, events) << what;
  EXPECT_EQ(out.commands, commands) << what;
}

// Four bad head checks 15 s apart from `start`: the head alert rises on the last.
MonitorOutput raiseHead(Monitor& m, Instant start, HeadCause cause = HeadCause::headForward) {
  return feedChecks(m, judged(bad(cause)), 4, start);
}

// Two checks with a hand at the chin (head good) 15 s apart: the hand alert rises on the second.
MonitorOutput raiseHand(Monitor& m, Instant start) { return feedChecks(m, judged(good(), HandVerdict::bad), 2, start); }

// Four checks bad in head and hand 15 s apart: the hand alert rises on the second, the head
// alert on the fourth.
MonitorOutput raiseBoth(Monitor& m, Instant start) { return feedChecks(m, judged(bad(), HandVerdict::bad), 4, start); }

// ---- launch, pause, resume -----------------------------------------------------------------

TEST(Monitor, LaunchStartsTheCameraOnlyWhenWanted) {
  expectOutput(makeMonitor().handle(input::Launch{5}), {event::Launch{}}, {C::recheckPermission, C::startCamera});
  expectOutput(makeMonitor(false).handle(input::Launch{5}), {event::Launch{}}, {C::recheckPermission});
}

TEST(Monitor, TimedPauseDropsAlertsIgnoresChecksAndEndsOnATick) {
  Monitor m = makeMonitor();
  expectOutput(raiseHead(m, 0), {event::AlertRaised{AlertModule::head, "A1", forwardHint, false}}, {});

  expectOutput(m.handle(input::Pause{1000, 50}),
               {event::AlertCleared{AlertModule::head, "A1", ClearReason::reset}, event::Paused{1000}}, {C::stopCamera});
  EXPECT_EQ(m.head(), HeadAlertTracker(Thresholds{}));
  EXPECT_TRUE(m.isPaused(999.9));
  EXPECT_FALSE(m.isPaused(1000));

  EXPECT_EQ(m.handle(input::Check{judged(bad()), 60}), MonitorOutput{});
  // System events during a pause are not logged, but still act.
  expectOutput(m.handle(input::System{SystemEvent::lock, 70}), {}, {C::stopCamera});
  expectOutput(m.handle(input::System{SystemEvent::unlock, 80}), {}, {});
  expectOutput(m.handle(input::Tick{999}), {}, {});
  expectOutput(m.handle(input::Tick{1000}), {event::Resumed{}}, {C::startCamera});
  EXPECT_TRUE(m.handle(input::Check{judged(good()), 1001}).writeCheckLine);
}

TEST(Monitor, IndefinitePauseLastsUntilResumed) {
  Monitor m = makeMonitor();
  expectOutput(m.handle(input::Pause{std::nullopt, 10}), {event::Paused{}}, {C::stopCamera});
  expectOutput(m.handle(input::Tick{1e6}), {}, {});
  EXPECT_EQ(m.handle(input::Check{judged(good()), 1e6 + 1}), MonitorOutput{});
  expectOutput(m.handle(input::Resume{2e6}), {event::Resumed{}}, {C::startCamera});
  expectOutput(m.handle(input::Resume{2e6 + 1}), {}, {});
  // A timed pause replaces an indefinite one.
  m.handle(input::Pause{std::nullopt, 3e6});
  m.handle(input::Pause{3e6 + 60, 3e6 + 1});
  EXPECT_FALSE(m.pausedIndefinitely());
  expectOutput(m.handle(input::Tick{3e6 + 60}), {event::Resumed{}}, {C::startCamera});

  // Resuming starts no camera while asleep or uncalibrated.
  Monitor asleep = makeMonitor(true, true);
  asleep.handle(input::System{SystemEvent::sleep, 1});
  expectOutput(asleep.handle(input::Resume{2}), {event::Resumed{}}, {});
  expectOutput(makeMonitor(false, true).handle(input::Resume{2}), {event::Resumed{}}, {});
}

// ---- system events -------------------------------------------------------------------------

TEST(Monitor, SystemEventsStopAndStartTheCamera) {
  using S = SystemEvent;
  struct Case {
    const char* name;
    std::vector<SystemEvent> before;
    SystemEvent last;
    Commands commands;
  };
  const Case cases[] = {
      {"display wake", {S::displaySleep}, S::displayWake, {C::startCamera}},
      {"system wake re-checks permission first", {S::sleep}, S::wake, {C::recheckPermission, C::startCamera}},
      {"wake while locked", {S::lock}, S::wake, {C::recheckPermission}},
      {"unlock", {S::lock}, S::unlock, {C::startCamera}},
      {"unlock while asleep", {S::sleep, S::lock}, S::unlock, {}},
  };
  for (const auto& c : cases) {
    Monitor m = makeMonitor();
    for (auto e : c.before) m.handle(input::System{e, 1});
    expectOutput(m.handle(input::System{c.last, 2}), {event::System{c.last}}, c.commands, c.name);
  }
}

TEST(Monitor, SleepAndLockDropAlertsAndIgnoreChecks) {
  for (auto e : {SystemEvent::sleep, SystemEvent::displaySleep, SystemEvent::lock}) {
    Monitor m = makeMonitor();
    m.handle(input::CameraStarted{0});
    raiseBoth(m, 0);  // hand A1, head A2
    ASSERT_EQ(m.alerts().size(), 2u);
    expectOutput(m.handle(input::System{e, 50}),
                 {event::System{e}, event::AlertCleared{AlertModule::head, "A2", ClearReason::reset},
                  event::AlertCleared{AlertModule::hand, "A1", ClearReason::reset}},
                 {C::stopCamera}, std::string(toText(e)).c_str());
    EXPECT_EQ(m.watchdog(), Watchdog{});
    EXPECT_EQ(m.handle(input::Check{judged(bad()), 60}), MonitorOutput{});
  }
}

// ---- watchdog and camera -------------------------------------------------------------------

TEST(Monitor, WatchdogRestartsTheSessionThenGivesTheCameraUp) {
  Monitor m = makeMonitor();
  m.handle(input::CameraStarted{0});
  for (Instant t : {0.0, 15.0, 30.0, 45.0}) {
    m.handle(input::FrameArrived{t});
    m.handle(input::Check{judged(bad()), t});
  }
  ASSERT_EQ(m.alerts().size(), 1u);

  expectOutput(m.handle(input::Tick{104}), {}, {});
  expectOutput(m.handle(input::Tick{105}),
               {event::WatchdogRestart{}, event::CameraMissing{},
                event::AlertCleared{AlertModule::head, "A1", ClearReason::reset}},
               {C::restartSession});
  EXPECT_TRUE(m.cameraMissing());
  expectOutput(m.handle(input::Tick{164}), {}, {});
  expectOutput(m.handle(input::Tick{165}), {event::CameraStopped{}}, {});
  EXPECT_TRUE(m.cameraStopped());
  expectOutput(m.handle(input::Tick{500}), {}, {});
  // The shell's report of the camera coming back ends a stopped camera too.
  Monitor reported = m;
  expectOutput(reported.handle(input::CameraBack{505}), {event::CameraBack{}}, {});
  EXPECT_FALSE(reported.cameraStopped());
  EXPECT_EQ(reported.watchdog().stage, Watchdog::Stage{Watchdog::Ok{}});

  expectOutput(m.handle(input::FrameArrived{510}), {event::CameraBack{}}, {});
  EXPECT_FALSE(m.cameraMissing());
  EXPECT_FALSE(m.cameraStopped());
  expectOutput(m.handle(input::FrameArrived{511}), {}, {});
  expectOutput(m.handle(input::Tick{570}), {}, {});
  expectOutput(m.handle(input::Tick{571}), {event::WatchdogRestart{}, event::CameraMissing{}}, {C::restartSession});
}

TEST(Monitor, WatchdogRunsOnlyWhileTheCameraShouldRun) {
  Monitor uncalibrated = makeMonitor(false);
  uncalibrated.handle(input::CameraStarted{0});
  expectOutput(uncalibrated.handle(input::Tick{1000}), {}, {});

  // Calibrating needs the camera even without a stored calibration.
  uncalibrated.handle(input::CalibrationStarted{1001});
  expectOutput(uncalibrated.handle(input::Tick{1002}), {event::WatchdogRestart{}, event::CameraMissing{}},
               {C::restartSession});

  Monitor paused = makeMonitor(true, true);
  paused.handle(input::CameraStarted{0});
  expectOutput(paused.handle(input::Tick{1000}), {}, {});
}

TEST(Monitor, LoweredWatchdogTimeoutIsHeldUntilAFrame) {
  Monitor m = makeMonitor();
  m.setCameraDozes(true);
  m.apply(settingsFor(CheckInterval::min5, ChimeDelay::s30));
  EXPECT_EQ(m.watchdog().timeout, 330);
  m.handle(input::CameraStarted{0});
  m.setCameraDozes(false);
  EXPECT_EQ(m.watchdog().timeout, 60);
  // Past the new timeout but within the held one; the watchdog's own tests walk the held wait.
  expectOutput(m.handle(input::Tick{100}), {}, {});
  expectOutput(m.handle(input::FrameArrived{100}), {}, {});
  EXPECT_EQ(m.watchdog().heldTimeout, std::nullopt);
  expectOutput(m.handle(input::Tick{159}), {}, {});
  EXPECT_EQ(m.handle(input::Tick{160}).commands, Commands{C::restartSession});
}

TEST(Monitor, CameraMissingAndBack) {
  Monitor m = makeMonitor();
  raiseHead(m, 0);
  expectOutput(m.handle(input::CameraMissing{50}),
               {event::CameraMissing{}, event::AlertCleared{AlertModule::head, "A1", ClearReason::reset}}, {});
  expectOutput(m.handle(input::CameraMissing{51}), {}, {});
  // A frame while the watchdog is content does not end the shell's report of a lost camera.
  expectOutput(m.handle(input::FrameArrived{53}), {}, {});
  EXPECT_TRUE(m.cameraMissing());

  expectOutput(m.handle(input::CameraBack{60}), {event::CameraBack{}}, {});
  EXPECT_EQ(m.watchdog().lastFrameAt, 60);
  expectOutput(m.handle(input::CameraBack{61}), {}, {});
  expectOutput(m.handle(input::Tick{119}), {}, {});
  EXPECT_EQ(m.handle(input::Tick{120}).commands, Commands{C::restartSession});
}

// ---- calibration ---------------------------------------------------------------------------

CheckResult smallFace() {
  CheckResult c = judged(good());
  c.baseline = Baseline{};
  c.baseline->faceHeight = 0.5;
  c.faceHeightRatio = 0.35;
  return c;
}

TEST(Monitor, CalibrationDropsAlertsIgnoresChecksAndStopsACameraNoLongerWanted) {
  Monitor m = makeMonitor();
  raiseHead(m, 0);
  expectOutput(m.handle(input::CalibrationStarted{50}),
               {event::AlertCleared{AlertModule::head, "A1", ClearReason::reset}, event::CalibrationStarted{}}, {});
  EXPECT_EQ(m.handle(input::Check{judged(bad()), 60}), MonitorOutput{});

  Monitor uncalibrated = makeMonitor(false);
  uncalibrated.handle(input::CalibrationStarted{0});
  uncalibrated.handle(input::CameraStarted{1});
  expectOutput(uncalibrated.handle(input::CalibrationEnded{false, 10}), {event::CalibrationEnded{false}},
               {C::stopCamera});
  EXPECT_EQ(uncalibrated.watchdog().lastFrameAt, std::nullopt);
  EXPECT_TRUE(uncalibrated.handle(input::Check{judged(good()), 15}).writeCheckLine);  // checks go on regardless
  uncalibrated.handle(input::CalibrationStarted{20});
  expectOutput(uncalibrated.handle(input::CalibrationEnded{true, 30}), {event::CalibrationEnded{true}}, {});
  EXPECT_TRUE(uncalibrated.calibrated());
}

TEST(Monitor, SavedCalibrationEndsStaleness) {
  Monitor m = makeMonitor();
  const auto out = feedChecks(m, smallFace(), 40, 0);
  expectOutput(out, {event::StaleOn{}}, {});
  EXPECT_TRUE(out.checkStale);

  Monitor cancelled = m;
  expectOutput(cancelled.handle(input::CalibrationEnded{false, 700}), {event::CalibrationEnded{false}}, {});
  EXPECT_TRUE(cancelled.isStale());

  expectOutput(m.handle(input::CalibrationEnded{true, 700}), {event::CalibrationEnded{true}, event::StaleOff{}}, {});
  EXPECT_TRUE(m.stale().samples.empty());
  EXPECT_TRUE(m.stale().leanIn.empty());
  expectOutput(m.handle(input::CalibrationEnded{true, 701}), {event::CalibrationEnded{true}}, {});
}

// ---- checks: away, stale, degraded, readings ------------------------------------------------

TEST(Monitor, GoingAwayDropsAlertsBeforeTheTrackersSeeTheCheck) {
  Monitor m = makeMonitor();
  raiseHead(m, 0);
  // Without the away rule the fourth check without evidence would clear as no_evidence.
  feedChecks(m, skipped(SkipReason::noFace), 3, 60);
  const auto out = m.handle(input::Check{skipped(SkipReason::noFace), 105});
  expectOutput(out, {event::AwayOn{SkipReason::noFace}, event::AlertCleared{AlertModule::head, "A1", ClearReason::reset}},
               {});
  EXPECT_EQ(m.lastCheck(), std::nullopt);

  expectOutput(m.handle(input::Check{skipped(SkipReason::dark), 120}), {}, {});
  expectOutput(m.handle(input::Check{judged(good()), 135}), {event::AwayOff{}}, {});
}

TEST(Monitor, PresenceIsForgottenWithoutAnAwayOffEvent) {
  Monitor m = makeMonitor();
  feedChecks(m, skipped(SkipReason::dark), 4, 0);
  ASSERT_TRUE(m.isAway());
  m.handle(input::Pause{std::nullopt, 100});
  EXPECT_EQ(m.away(), AwayTracker(Thresholds{}));
  m.handle(input::Resume{200});
  expectOutput(m.handle(input::Check{judged(good()), 201}), {}, {});
}

TEST(Monitor, SkippedCheckFeedsNoVerdicts) {
  Monitor m = makeMonitor();
  CheckResult c = skipped(SkipReason::multipleFaces, true);
  c.hand = HandVerdict::bad;
  c.head = bad();
  feedChecks(m, c, 5, 0);
  EXPECT_EQ(m.hand().noEvidenceRun, 5);
  EXPECT_EQ(m.head().noEvidenceRun, 5);
}

TEST(Monitor, DegradedCheckingComesAndGoes) {
  Monitor m = makeMonitor();
  const auto on = feedChecks(m, skipped(SkipReason::multipleFaces, true), 40, 0);
  expectOutput(on, {event::DegradedOn{"Someone else is in view"}}, {});
  expectOutput(feedChecks(m, judged(good()), 7, 600), {}, {});
  expectOutput(m.handle(input::Check{judged(good()), 800}), {event::DegradedOff{}}, {});
}

TEST(Monitor, LastReadingKeepsItsValueThroughMixedChecks) {
  const HeadResult mixedHead = inconclusive(InconclusiveReason::mixed);
  struct Case {
    const char* name;
    CheckResult check;
    std::optional<LastReading> reading;  // after a bad reading
  };
  const Case cases[] = {
      {"good head", judged(good()), LastReading::good},
      {"bad head", judged(bad()), LastReading::bad},
      {"bad hand, mixed head", judged(mixedHead, HandVerdict::bad), LastReading::bad},
      {"mixed head", judged(mixedHead), LastReading::bad},
      {"mixed hand", judged(good(), HandVerdict::mixed), LastReading::bad},
      {"inconclusive", judged(inconclusive(InconclusiveReason::lookingDown)), std::nullopt},
      {"skipped", skipped(SkipReason::dark), std::nullopt},
  };
  for (const auto& c : cases) {
    Monitor m = makeMonitor();
    m.handle(input::Check{judged(bad(), HandVerdict::good), 0});
    m.handle(input::Check{c.check, 15});
    EXPECT_EQ(m.lastReading(), c.reading) << c.name;
  }
  EXPECT_EQ(lastReadingOf(judged(good(), HandVerdict::mixed)), std::nullopt);
}

// ---- the alert book ------------------------------------------------------------------------

TEST(Monitor, ChimeTimerRestartsOnChecksWithoutEvidence) {
  struct Case {
    const char* name;
    CheckResult at75;  // the check 30 s after the raise
    Instant chimeAt;
  };
  const Case cases[] = {
      {"all bad", judged(bad()), 105},
      {"looking down restarts", judged(inconclusive(InconclusiveReason::lookingDown)), 135},
      {"no head restarts", judged(std::nullopt), 135},
      {"a skipped check restarts", skipped(SkipReason::yawOutOfRange), 135},
      {"mixed frames do not restart", judged(inconclusive(InconclusiveReason::mixed)), 105},
  };
  for (const auto& c : cases) {
    Monitor m = makeMonitor();
    m.apply(settingsFor(CheckInterval::s15, ChimeDelay::min1));
    raiseHead(m, 0);  // raised at 45
    for (Instant t = 60; t <= 150; t += 15) {
      const auto out = m.handle(input::Check{t == 75 ? c.at75 : judged(bad()), t});
      expectOutput(out, t == c.chimeAt ? Events{event::Chime{AlertModule::head, "A1"}} : Events{},
                   t == c.chimeAt ? Commands{C::playChime} : Commands{}, c.name);
    }
  }
}

TEST(Monitor, HandChimeTimerRestartsWithoutHandEvidence) {
  for (auto missing : {std::optional<HandVerdict>{}, std::optional{HandVerdict::snoozed}}) {
    Monitor m = makeMonitor();
    m.apply(settingsFor(CheckInterval::s15, ChimeDelay::min1));
    raiseHand(m, 0);  // raised at 15
    m.handle(input::Check{judged(good(), missing), 30});
    m.handle(input::Check{judged(good(), HandVerdict::bad), 45});
    expectOutput(m.handle(input::Tick{89}), {}, {});
    expectOutput(m.handle(input::Tick{90}), {event::Chime{AlertModule::hand, "A1"}}, {C::playChime});
  }
}

TEST(Monitor, HideGlowSilencesTheChimeUntilItEnds) {
  constexpr Instant nineThirty = 9.5 * 3600;
  constexpr Instant ten = 10 * 3600;
  Monitor m = makeMonitor();
  m.apply(settingsFor(CheckInterval::s15, ChimeDelay::min1));
  EXPECT_EQ(raisedAlertIds(raiseHead(m, nineThirty - 45).events), std::vector<std::string>{"A1"});
  expectOutput(m.handle(input::HideGlow{ten, nineThirty}), {event::HideGlow{ten}}, {});
  EXPECT_TRUE(m.visibleAlerts(ten - 1).empty());
  for (Instant t : {nineThirty + 60, ten - 1}) expectOutput(m.handle(input::Tick{t}), {}, {});
  expectOutput(m.handle(input::Tick{ten}), {event::Chime{AlertModule::head, "A1"}}, {C::playChime});
  ASSERT_EQ(m.visibleAlerts(ten).size(), 1u);
}

TEST(Monitor, AlertsRaisedWhileHiddenChimeTogetherAfterwards) {
  Monitor m = makeMonitor();
  m.apply(settingsFor(CheckInterval::s15, ChimeDelay::min1));
  m.handle(input::HideGlow{200, 0});
  m.handle(input::Check{judged(bad(), HandVerdict::bad), 0});
  expectOutput(m.handle(input::Check{judged(bad(), HandVerdict::bad), 15}),
               {event::AlertRaised{AlertModule::hand, "A1", handHint, true}}, {});
  feedChecks(m, judged(bad(), HandVerdict::bad), 2, 30);
  expectOutput(m.handle(input::Tick{199}), {}, {});
  expectOutput(m.handle(input::Tick{200}), {event::Chime{AlertModule::head, "A2"}, event::Chime{AlertModule::hand, "A1"}},
               {C::playChime, C::playChime});
}

TEST(Monitor, DisabledGlowHidesAlertsButStillChimes) {
  Monitor m = makeMonitor();
  AppSettings s = settingsFor(CheckInterval::s15, ChimeDelay::atRaise);
  s.glowEnabled = false;
  m.apply(s);
  EXPECT_FALSE(m.canHideGlow());
  expectOutput(m.handle(input::HideGlow{100, 0}), {}, {});
  EXPECT_EQ(m.hideGlowUntil(), std::nullopt);
  expectOutput(raiseHead(m, 0),
               {event::AlertRaised{AlertModule::head, "A1", forwardHint, true}, event::Chime{AlertModule::head, "A1"}},
               {C::playChime});
  expectOutput(m.handle(input::Tick{46}), {}, {});  // a chime at the raise is the only one
  EXPECT_TRUE(m.visibleAlerts(50).empty());
  m.setGlowEnabled(true);
  EXPECT_EQ(m.visibleAlerts(50).size(), 1u);
}

TEST(Monitor, DisabledChimeStaysSilentUntilEnabled) {
  Monitor m = makeMonitor();
  AppSettings s = settingsFor(CheckInterval::s15, ChimeDelay::s30);
  s.chimeEnabled = false;
  m.apply(s);
  raiseHead(m, 0);
  expectOutput(m.handle(input::Tick{500}), {}, {});
  m.setChimeEnabled(true);
  expectOutput(m.handle(input::Tick{501}), {event::Chime{AlertModule::head, "A1"}}, {C::playChime});
}

TEST(Monitor, WrongTapSilencesTheAlertForItsWholeLife) {
  Monitor m = makeMonitor();
  m.apply(settingsFor(CheckInterval::s15, ChimeDelay::s30));
  // A tap on a module without an alert does nothing.
  EXPECT_EQ(m.handle(input::Wrong{AlertModule::head, 0}), MonitorOutput{});
  raiseHead(m, 0);
  EXPECT_EQ(m.handle(input::Wrong{AlertModule::hand, 46}), MonitorOutput{});
  EXPECT_TRUE(m.wrongTaps().empty());
  expectOutput(m.handle(input::Wrong{AlertModule::head, 50}), {event::Wrong{AlertModule::head, "A1"}}, {});
  EXPECT_TRUE(m.visibleAlerts(50).empty());
  expectOutput(feedChecks(m, judged(bad()), 6, 60), {}, {});
  expectOutput(m.handle(input::Tick{1000}), {}, {});
  feedChecks(m, judged(good(true)), 1, 1001);
  expectOutput(m.handle(input::Check{judged(good(true)), 1016}),
               {event::AlertCleared{AlertModule::head, "A1", ClearReason::recovered}}, {});
  // The next alert is a new one, visible again.
  expectOutput(raiseHead(m, 1100), {event::AlertRaised{AlertModule::head, "A2", forwardHint, false}}, {});
}

TEST(Monitor, WrongTapsCountPerLocalDayAndModule) {
  // 20:00 on 7 March 2026 in Los Angeles (−08:00); local midnight is four hours later.
  constexpr Instant evening = 1772942400;
  constexpr Instant midnight = 1772956800;
  const Calendar la = *Calendar::named("America/Los_Angeles");
  Monitor m = makeMonitor(true, false, {{"2026-3-6-head", 5}}, la);
  EXPECT_EQ(m.wrongTapKey(midnight - 1, AlertModule::head), "2026-3-7-head");
  EXPECT_EQ(m.wrongTapKey(midnight, AlertModule::hand), "2026-3-8-hand");

  raiseBoth(m, evening);
  m.handle(input::Wrong{AlertModule::hand, midnight - 2});
  m.handle(input::Wrong{AlertModule::head, midnight - 1});
  EXPECT_FALSE(m.offersRecalibrate(AlertModule::head, midnight - 1));
  // Tapped again just after midnight: one tap on each day.
  m.handle(input::Wrong{AlertModule::head, midnight + 1});
  EXPECT_EQ(m.wrongTaps(), (WrongTaps{{"2026-3-6-head", 5}, {"2026-3-7-hand", 1}, {"2026-3-7-head", 1}, {"2026-3-8-head", 1}}));
  EXPECT_FALSE(m.offersRecalibrate(AlertModule::head, midnight + 1));
  m.handle(input::Wrong{AlertModule::head, midnight + 2});
  EXPECT_TRUE(m.offersRecalibrate(AlertModule::head, midnight + 2));
  // Clocks spring forward that night: the local day lasts 23 hours.
  EXPECT_TRUE(m.offersRecalibrate(AlertModule::head, midnight + 22.5 * 3600));
  EXPECT_FALSE(m.offersRecalibrate(AlertModule::head, midnight + 23 * 3600));
  EXPECT_FALSE(m.offersRecalibrate(AlertModule::hand, midnight + 2));
}

TEST(Monitor, HintFollowsTheLatestCauseWithoutEvents) {
  Monitor m = makeMonitor();
  expectOutput(raiseHead(m, 0, HeadCause::leanIn), {event::AlertRaised{AlertModule::head, "A1", leanHint, false}}, {});
  expectOutput(m.handle(input::Check{judged(bad(HeadCause::tooClose)), 60}), {}, {});
  EXPECT_EQ(m.alerts().at(AlertModule::head).hint, closeHint);
  m.handle(input::Check{judged(bad(std::nullopt)), 75});
  m.handle(input::Check{judged(good(false)), 90});
  EXPECT_EQ(m.alerts().at(AlertModule::head).hint, closeHint);
  m.handle(input::Check{judged(bad(HeadCause::headForward)), 105});
  EXPECT_EQ(m.alerts().at(AlertModule::head).hint, forwardHint);
}

TEST(Monitor, SnoozeDropsTheHandAlertAndMarksTheContext) {
  Monitor m = makeMonitor();
  raiseBoth(m, 0);
  expectOutput(m.handle(input::Snooze{2000, 100}),
               {event::AlertCleared{AlertModule::hand, "A1", ClearReason::reset}, event::Snoozed{2000}}, {});
  EXPECT_EQ(m.hand(), HandAlertTracker(Thresholds{}));
  EXPECT_TRUE(m.context(1999, false).handSnoozed);
  EXPECT_FALSE(m.context(2000, false).handSnoozed);
  expectOutput(m.handle(input::Snooze{3000, 101}), {event::Snoozed{3000}}, {});
}

// ---- settings ------------------------------------------------------------------------------

TEST(Monitor, ApplyKeepsTrackerCountsWhileRescalingThem) {
  Monitor m = makeMonitor();
  feedChecks(m, judged(bad(), HandVerdict::bad), 1, 0);
  feedChecks(m, judged(bad(), HandVerdict::good), 2, 15);
  m.apply(settingsFor(CheckInterval::s15, ChimeDelay::s30));
  EXPECT_EQ(m.head().window.size(), 3u);
  expectOutput(m.handle(input::Check{judged(bad()), 45}), {event::AlertRaised{AlertModule::head, "A1", forwardHint, false}},
               {});

  Monitor slow = makeMonitor();
  feedChecks(slow, judged(good(), HandVerdict::good), 3, 0);
  slow.apply(settingsFor(CheckInterval::min1, ChimeDelay::s30));
  EXPECT_EQ(slow.hand().goodRun, 3);
  // A window of one: the next bad check raises each alert.
  expectOutput(slow.handle(input::Check{judged(bad(), HandVerdict::bad), 45}),
               {event::AlertRaised{AlertModule::head, "A1", forwardHint, false},
                event::AlertRaised{AlertModule::hand, "A2", handHint, false}},
               {});
  EXPECT_EQ(slow.head().window, std::vector<HeadVerdict>{HeadVerdict::bad});
}

// The sizes per interval are the advisory cadence's; the monitor takes them on each change.
TEST(Monitor, ApplyTakesTheSettingsAndSizesTheDetectorsForTheInterval) {
  Monitor m = makeMonitor();
  m.apply(settingsFor(CheckInterval::min2, ChimeDelay::s30));
  EXPECT_EQ(std::tuple(m.stale().needed, m.stale().span, m.degraded().size, m.watchdog().timeout),
            std::tuple(std::int64_t{10}, Seconds{2400}, std::int64_t{10}, Seconds{60}));
  m.setCameraDozes(true);
  EXPECT_EQ(m.watchdog().timeout, 150);

  AppSettings s = settingsFor(CheckInterval::min1, ChimeDelay::min3);
  s.sensitivity = Sensitivity::strict;
  s.chimeEnabled = false;
  m.apply(s);
  EXPECT_EQ(m.chimeDelay(), 180);
  EXPECT_EQ(m.checkThresholds().id, "t-2026-10-10a-strict-60s");
  // The trackers count with the interval alone.
  EXPECT_EQ(m.head().thresholds.id, "t-2026-10-10a-60s");
}

// ---- queries -------------------------------------------------------------------------------

TEST(Monitor, CameraWantedFollowsTheModes) {
  struct Case {
    const char* name;
    bool calibrated;
    std::vector<MonitorInput> inputs;
    Instant at;
    bool wanted;
  };
  const Case cases[] = {
      {"calibrated", true, {}, 0, true},
      {"not calibrated", false, {}, 0, false},
      {"calibrating without a calibration", false, {input::CalibrationStarted{0}}, 1, true},
      {"calibrating while asleep", false, {input::CalibrationStarted{0}, input::System{SystemEvent::sleep, 1}}, 2, false},
      {"locked", true, {input::System{SystemEvent::lock, 0}}, 1, false},
      {"paused indefinitely", true, {input::Pause{std::nullopt, 0}}, 1, false},
      {"before a timed pause ends", true, {input::Pause{100, 0}}, 99.5, false},
      {"when a timed pause ends", true, {input::Pause{100, 0}}, 100, true},
      {"camera missing: the shell keeps trying", true, {input::CameraMissing{0}}, 1, true},
  };
  for (const auto& c : cases) {
    Monitor m = makeMonitor(c.calibrated);
    for (const auto& in : c.inputs) m.handle(in);
    EXPECT_EQ(m.cameraWanted(c.at), c.wanted) << c.name;
  }
}

TEST(Monitor, ContextReflectsTheState) {
  Monitor m = makeMonitor();
  EXPECT_EQ(m.context(0, true), (CheckContext{false, false, true, false}));
  m.handle(input::CameraMissing{1});
  m.handle(input::CalibrationStarted{2});
  EXPECT_EQ(m.context(3, false), (CheckContext{true, true, false, false}));
}

TEST(Monitor, DefaultIdentifiersAreRandomUpperCaseUUIDs) {
  Monitor m(Thresholds{}, Calendar::utc(), true, false, {});
  raiseBoth(m, 0);
  const std::string head = m.alerts().at(AlertModule::head).id;
  const std::string hand = m.alerts().at(AlertModule::hand).id;
  EXPECT_NE(head, hand);
  // A version-4 UUID in capitals: 8-4-4-4-12 hex digits, version 4, variant 8 to B.
  const auto version4 = [](const std::string& id) {
    if (id.size() != 36) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
      const char c = id[i];
      const bool ok = (i == 8 || i == 13 || i == 18 || i == 23) ? c == '-'
                      : i == 14                                  ? c == '4'
                      : i == 19 ? std::string_view("89AB").find(c) != std::string_view::npos
                                : std::string_view("0123456789ABCDEF").find(c) != std::string_view::npos;
      if (!ok) return false;
    }
    return true;
  };
  for (const auto& id : {head, hand}) EXPECT_TRUE(version4(id)) << id;
}

}  // namespace
}  // namespace kestrel
