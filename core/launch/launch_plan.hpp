#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/app_settings.hpp"
#include "core/base/calendar.hpp"
#include "core/monitor/camera_duty.hpp"
#include "core/base/instant.hpp"
#include "core/pictures/picture_request.hpp"
#include "core/launch/test_copy_mark.hpp"
#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// What one run of the program switches on or off, read once from the command line and the
// application id before anything starts, and fixed for the whole run.
struct LaunchPlan {
  bool startCamera = true;
  bool registerLoginItem = true;           // offer the login item at start
  bool showCalibrationWhenNeeded = true;   // open the calibration window when none is saved
  bool writeLogAndState = true;            // write the daily log and the state; prune old files
  bool forceGlow = false;                  // show the glow without an alert
  bool simulateCameraFailure = false;      // behave as if there were no camera
  std::optional<Seconds> exitAfter;        // quit after this long
  bool printLaunchAndExit = false;         // print the launch line and exit at once
  std::optional<CheckInterval> checkIntervalOverride;
  std::optional<CameraDuty::Mode> cameraModeOverride;
  bool simulateHandAlert = false;          // simulated checks instead of the camera's
  bool seedOldPicture = false;             // write one picture dated three days back at start
  bool legacyImportDryRun = false;         // report what the legacy import would copy, then exit
  std::optional<TestCopyMark> testCopyMark;
  std::optional<std::string> cameraFile;   // a video file played as if it were the camera

  // The plan for the program's arguments (without the program name) and its application id.
  //   "--smoke": nothing runs; print the launch line and exit.
  //   "--perf-live": a ten-minute live performance run with the glow on, checking every 15 s
  //     with the camera kept on, and writing nothing.
  //   "--simulate-camera-failure": as if no camera were there (not with "--smoke").
  //   "--camera-file PATH": play that video as the camera (not with "--smoke").
  // Test builds (an id ending in ".e2e") and performance runs are marked as test copies; test
  // builds never offer the login item and alone honour "--legacy-import-dry-run" and, unless
  // smoking, "--simulate-hand-alert" (with "--seed-old-picture").
  static LaunchPlan from(const std::vector<std::string>& arguments, std::string_view bundleIdentifier);

  // The settings of this run: the overrides replace the check interval and the camera mode,
  // and simulated hand alerts keep no photos. Nothing is stored.
  AppSettings applied(const AppSettings& settings) const;

  // Simulated check results for check number `check`: up to `count` frames of one of six
  // fixed patterns of bad ("B") and good ("G") hands, "BBGB", "BBGB", "BGBG", "GGBG", "GGBG",
  // "GGBG", chosen by the check number modulo six. Each has a face, no skip, an
  // inconclusive head, and a hand at the chin exactly for "B".
  static std::vector<CheckResult> simulatedFrames(std::int64_t check, std::int64_t count);

  // The picture written at start by a run that seeds an old picture: a hand alert
  // "seed-old-picture" raised at the same time of day three calendar days before `now` (or
  // 259200 seconds before it when `now` is no time the calendar can place).
  static PictureRequest seedPictureRequest(Instant now, const Calendar& calendar);

  // "launch <application id> smoke", printed by a smoke run before it exits.
  static std::string launchLine(std::string_view bundleIdentifier);

  bool operator==(const LaunchPlan&) const = default;
};

}  // namespace kestrel
