#include "core/launch/launch_plan.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include <date/date.h>

#include "core/launch/app_info.hpp"
#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

namespace {

bool has(const std::vector<std::string>& arguments, std::string_view option) {
  return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
}

// The argument after the first `option`, when there is one.
std::optional<std::string> valueOf(const std::vector<std::string>& arguments, std::string_view option) {
  const auto it = std::find(arguments.begin(), arguments.end(), option);
  if (it == arguments.end() || std::next(it) == arguments.end()) return std::nullopt;
  return *std::next(it);
}

LaunchPlan smokePlan() {
  LaunchPlan plan;
  plan.startCamera = false;
  plan.registerLoginItem = false;
  plan.showCalibrationWhenNeeded = false;
  plan.writeLogAndState = false;
  plan.printLaunchAndExit = true;
  return plan;
}

LaunchPlan runPlan(const std::vector<std::string>& arguments) {
  LaunchPlan plan;
  plan.simulateCameraFailure = has(arguments, "--simulate-camera-failure");
  plan.cameraFile = valueOf(arguments, "--camera-file");
  if (has(arguments, "--perf-live")) {
    plan.exitAfter = 600;
    plan.forceGlow = true;
    plan.registerLoginItem = false;
    plan.showCalibrationWhenNeeded = false;
    plan.writeLogAndState = false;
    plan.checkIntervalOverride = CheckInterval::s15;
    plan.cameraModeOverride = CameraDuty::Mode::steady;
  }
  return plan;
}

}  // namespace

LaunchPlan LaunchPlan::from(const std::vector<std::string>& arguments, std::string_view bundleIdentifier) {
  const bool smoke = has(arguments, "--smoke");
  LaunchPlan plan = smoke ? smokePlan() : runPlan(arguments);

  const bool testBuild = AppInfo::isEndToEndTestBuild(bundleIdentifier);
  if (has(arguments, "--perf-live") || testBuild) plan.testCopyMark = TestCopyMark::standard();
  if (testBuild) {
    plan.registerLoginItem = false;
    plan.legacyImportDryRun = has(arguments, "--legacy-import-dry-run");
    if (!smoke && has(arguments, "--simulate-hand-alert")) {
      plan.simulateHandAlert = true;
      plan.showCalibrationWhenNeeded = false;
      plan.seedOldPicture = has(arguments, "--seed-old-picture");
    }
  }
  return plan;
}

AppSettings LaunchPlan::applied(const AppSettings& settings) const {
  AppSettings run = settings;
  if (checkIntervalOverride) run.checkInterval = *checkIntervalOverride;
  if (cameraModeOverride) run.cameraBetweenChecks = *cameraModeOverride;
  if (simulateHandAlert) run.keepPhotos = false;
  return run;
}

std::vector<CheckResult> LaunchPlan::simulatedFrames(std::int64_t check, std::int64_t count) {
  static constexpr std::array<std::string_view, 6> patterns{"BBGB", "BBGB", "BGBG", "GGBG", "GGBG", "GGBG"};
  const std::string_view pattern = patterns[static_cast<std::size_t>((check % 6 + 6) % 6)];
  const std::size_t n = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, std::ssize(pattern)));
  std::vector<CheckResult> frames;
  frames.reserve(n);
  for (char letter : pattern.substr(0, n)) {
    CheckResult r;
    r.facePresent = true;
    r.head = HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt, std::nullopt, false};
    r.handCandidate = letter == 'B';
    r.hand = letter == 'B' ? HandVerdict::bad : HandVerdict::good;
    frames.push_back(std::move(r));
  }
  return frames;
}

PictureRequest LaunchPlan::seedPictureRequest(Instant now, const Calendar& calendar) {
  constexpr Seconds threeDays = 3 * 86400;
  Instant raisedAt = now - threeDays;
  if (std::isfinite(now)) {
    const CivilTime c = calendar.civil(now);
    const date::year_month_day day{date::sys_days{date::year{c.year} / c.month / c.day} - date::days{3}};
    raisedAt = calendar.instant(static_cast<int>(day.year()), static_cast<int>(static_cast<unsigned>(day.month())),
                                static_cast<int>(static_cast<unsigned>(day.day())), c.hour, c.minute,
                                c.second + c.fractionOfSecond);
  }
  return PictureRequest{"seed-old-picture", AlertModule::hand, std::string(HeadChinGeometry::handHint), raisedAt};
}

std::string LaunchPlan::launchLine(std::string_view bundleIdentifier) {
  return "launch " + std::string(bundleIdentifier) + " smoke";
}

}  // namespace kestrel
