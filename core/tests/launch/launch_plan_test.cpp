#include "core/launch/launch_plan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace kestrel {
namespace {

constexpr std::string_view ordinary = "io.github.kestrel.Kestrel";
constexpr std::string_view testBuild = "io.github.kestrel.Kestrel.e2e";

LaunchPlan with(const std::function<void(LaunchPlan&)>& change) {
  LaunchPlan p;
  change(p);
  return p;
}

void smoke(LaunchPlan& p) {
  p.startCamera = false;
  p.registerLoginItem = false;
  p.showCalibrationWhenNeeded = false;
  p.writeLogAndState = false;
  p.printLaunchAndExit = true;
}

void perfLive(LaunchPlan& p) {
  p.exitAfter = 600;
  p.forceGlow = true;
  p.registerLoginItem = false;
  p.showCalibrationWhenNeeded = false;
  p.writeLogAndState = false;
  p.checkIntervalOverride = CheckInterval::s15;
  p.cameraModeOverride = CameraDuty::Mode::steady;
  p.testCopyMark = TestCopyMark::standard();
}

void marked(LaunchPlan& p) {
  p.testCopyMark = TestCopyMark::standard();
  p.registerLoginItem = false;
}

void simulated(LaunchPlan& p) {
  p.simulateHandAlert = true;
  p.showCalibrationWhenNeeded = false;
}

TEST(LaunchPlan, EveryPrecedenceRule) {
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string_view id;
    LaunchPlan expected;
  };
  const Case cases[] = {
      {"nothing", {}, ordinary, LaunchPlan{}},
      {"smoke", {"--smoke"}, ordinary, with(smoke)},
      {"smoke wins over a live run but for the mark", {"--perf-live", "--smoke"}, ordinary,
       with([](LaunchPlan& p) { smoke(p); p.testCopyMark = TestCopyMark::standard(); })},
      {"live performance run", {"--perf-live"}, ordinary, with(perfLive)},
      {"camera failure", {"--simulate-camera-failure"}, ordinary,
       with([](LaunchPlan& p) { p.simulateCameraFailure = true; })},
      {"smoke ignores the camera failure", {"--smoke", "--simulate-camera-failure"}, ordinary, with(smoke)},
      {"simulated hands need a test build", {"--simulate-hand-alert", "--seed-old-picture"}, ordinary, LaunchPlan{}},
      {"test build", {}, testBuild, with(marked)},
      {"test build with simulated hands", {"--simulate-hand-alert"}, testBuild,
       with([](LaunchPlan& p) { marked(p); simulated(p); })},
      {"test build with simulated hands and an old picture", {"--seed-old-picture", "--simulate-hand-alert"},
       testBuild, with([](LaunchPlan& p) { marked(p); simulated(p); p.seedOldPicture = true; })},
      {"an old picture alone does nothing", {"--seed-old-picture"}, testBuild, with(marked)},
      {"smoke turns simulated hands off", {"--smoke", "--simulate-hand-alert", "--seed-old-picture"}, testBuild,
       with([](LaunchPlan& p) { smoke(p); marked(p); })},
      {"test build dry run", {"--legacy-import-dry-run"}, testBuild,
       with([](LaunchPlan& p) { marked(p); p.legacyImportDryRun = true; })},
      {"smoke keeps the dry run", {"--smoke", "--legacy-import-dry-run"}, testBuild,
       with([](LaunchPlan& p) { smoke(p); marked(p); p.legacyImportDryRun = true; })},
      {"options match exactly", {"--Smoke", "--smoke=1", "smoke", "-smoke", "--perf-live "}, ordinary, LaunchPlan{}},
      {"only a final .e2e marks a test build", {"--simulate-hand-alert"}, "io.github.kestrel.Kestrel.e2e.beta",
       LaunchPlan{}},
      {"camera file", {"--camera-file", "/tmp/sit.mkv"}, ordinary,
       with([](LaunchPlan& p) { p.cameraFile = "/tmp/sit.mkv"; })},
      {"camera file without its path", {"--camera-file"}, ordinary, LaunchPlan{}},
  };
  for (const auto& c : cases) EXPECT_EQ(LaunchPlan::from(c.arguments, c.id), c.expected) << c.what;
}

TEST(LaunchPlan, AppliedOverridesOnlyWhatThePlanNames) {
  AppSettings stored;
  stored.checkInterval = CheckInterval::min5;
  stored.cameraBetweenChecks = CameraDuty::Mode::off;
  stored.keepPhotos = true;
  stored.chimeSound = "bell";

  EXPECT_EQ(LaunchPlan{}.applied(stored), stored);

  AppSettings live = stored;
  live.checkInterval = CheckInterval::s15;
  live.cameraBetweenChecks = CameraDuty::Mode::steady;
  EXPECT_EQ(LaunchPlan::from({"--perf-live"}, ordinary).applied(stored), live);

  AppSettings noPhotos = stored;
  noPhotos.keepPhotos = false;
  EXPECT_EQ(LaunchPlan::from({"--simulate-hand-alert"}, testBuild).applied(stored), noPhotos);
}

std::string letters(const std::vector<CheckResult>& frames) {
  std::string out;
  for (const auto& f : frames) {
    EXPECT_TRUE(f.facePresent);
    EXPECT_EQ(f.skip, std::nullopt);
    EXPECT_EQ(f.head, (HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt, std::nullopt, false}));
    if (f.handCandidate && f.hand == HandVerdict::bad) {
      out += 'B';
    } else if (!f.handCandidate && f.hand == HandVerdict::good) {
      out += 'G';
    } else {
      out += '?';
    }
  }
  return out;
}

TEST(LaunchPlan, SimulatedFramesFollowTheSixPatterns) {
  struct Case {
    std::int64_t check;
    std::int64_t count;
    const char* expected;
  };
  const Case cases[] = {
      {0, 4, "BBGB"}, {1, 4, "BBGB"}, {2, 4, "BGBG"}, {3, 4, "GGBG"}, {5, 4, "GGBG"}, {6, 4, "BBGB"},
      {8, 4, "BGBG"}, {2, 3, "BGB"},  {2, 1, "B"},    {3, 0, ""},     {3, -1, ""},    {2, 9, "BGBG"},
      {-1, 4, "GGBG"}, {-4, 4, "BGBG"},
  };
  for (const auto& c : cases) EXPECT_EQ(letters(LaunchPlan::simulatedFrames(c.check, c.count)), c.expected) << c.check;
}

TEST(LaunchPlan, SeededPictureIsAHandAlertThreeCalendarDaysBack) {
  const Calendar utc = Calendar::utc();
  const Calendar berlin = *Calendar::named("Europe/Berlin");
  struct Case {
    const char* what;
    const Calendar& calendar;
    Instant now;
    Instant expected;
  };
  const Case cases[] = {
      {"plain days", utc, utc.instant(2026, 1, 5, 9, 0, 12.25), utc.instant(2026, 1, 2, 9, 0, 12.25)},
      {"across a month end", utc, utc.instant(2026, 3, 2, 23, 59, 59), utc.instant(2026, 2, 27, 23, 59, 59)},
      // Summer time ended on 25 October: three calendar days are an hour longer.
      {"across the end of summer time", berlin, berlin.instant(2026, 10, 27, 10, 0, 0),
       berlin.instant(2026, 10, 27, 10, 0, 0) - 259200 - 3600},
      {"summer time began in between", berlin, berlin.instant(2026, 3, 31, 10, 0, 0),
       berlin.instant(2026, 3, 31, 10, 0, 0) - 259200 + 3600},
  };
  for (const auto& c : cases) {
    const PictureRequest r = LaunchPlan::seedPictureRequest(c.now, c.calendar);
    EXPECT_EQ(r, (PictureRequest{"seed-old-picture", AlertModule::hand, "Hand at chin \u00b7 rest your jaw", c.expected}))
        << c.what;
  }
  EXPECT_EQ(berlin.civil(LaunchPlan::seedPictureRequest(berlin.instant(2026, 10, 27, 10, 0, 0), berlin).raisedAt).hour, 10);
}

TEST(LaunchPlan, SeededPictureOfATimeNoCalendarCanPlaceGoesBackByFixedSeconds) {
  const Instant infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(LaunchPlan::seedPictureRequest(infinity, Calendar::utc()).raisedAt, infinity);
  EXPECT_TRUE(std::isnan(LaunchPlan::seedPictureRequest(std::nan(""), Calendar::utc()).raisedAt));
}

}  // namespace
}  // namespace kestrel
