#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/monitor/away_tracker.hpp"
#include "core/monitor/hand_alert_tracker.hpp"
#include "core/monitor/head_alert_tracker.hpp"
#include "core/base/calendar.hpp"
#include "core/monitor/degraded_detector.hpp"
#include "core/monitor/stale_detector.hpp"
#include "core/monitor/watchdog.hpp"
#include "core/model/measurements.hpp"
#include "core/monitor/monitor_io.hpp"
#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

struct AppSettings;

// Wrong taps per day and module, under keys such as "2026-3-7-head".
using WrongTaps = std::map<std::string, std::int64_t>;

// The state machine that turns check results, ticks, system events and the user's commands
// into alerts, log events and commands for the shell. A plain value: every input carries its
// own instant, nothing here reads a clock or does input or output, and handle never fails.
class Monitor {
 public:
  using MakeID = std::function<std::string()>;

  // `calibrated`: a calibration is stored. `pausedIndefinitely` and `wrongTaps` come back
  // from the saved application state. `makeID` names new alerts (random UUIDs by default).
  Monitor(Thresholds thresholds, Calendar calendar, bool calibrated, bool pausedIndefinitely, WrongTaps wrongTaps,
          MakeID makeID = {});

  // The single entry point for everything that happens. Starts from an empty output.
  MonitorOutput handle(const MonitorInput& input);

  // Takes the user's settings; tracker counters and windows stay as they are.
  void apply(const AppSettings& settings);
  // Also re-applies the watchdog's timeout for the current interval.
  void setCameraDozes(bool dozes);
  void setGlowEnabled(bool enabled) { glowEnabled_ = enabled; }
  void setChimeEnabled(bool enabled) { chimeEnabled_ = enabled; }

  // ---- queries -----------------------------------------------------------------------------
  bool cameraWanted(Instant at) const;
  bool isPaused(Instant at) const;
  bool isGlowHidden(Instant at) const;
  bool canHideGlow() const { return glowEnabled_; }
  bool isAway() const { return away_.isAway; }
  bool isStale() const { return stale_.isStale; }
  const std::optional<std::string>& degradedReason() const { return degraded_.reason; }
  // What the classifier needs to know about the application's state.
  CheckContext context(Instant at, bool cameraEffects) const;
  // The thresholds for classifying a check: the sensitivity, then the interval applied.
  Thresholds checkThresholds() const;
  // The alerts to draw as glow: head before hand, none while the glow is hidden or off.
  std::vector<ActiveAlert> visibleAlerts(Instant at) const;
  // From the second wrong tap on a module within one calendar day.
  bool offersRecalibrate(AlertModule module, Instant at) const;
  // The key under which wrong taps on the module on the day of `at` are counted.
  std::string wrongTapKey(Instant at, AlertModule module) const;

  // ---- fields ------------------------------------------------------------------------------
  const Thresholds& thresholds() const { return thresholds_; }
  const Calendar& calendar() const { return calendar_; }
  const HeadAlertTracker& head() const { return head_; }
  const HandAlertTracker& hand() const { return hand_; }
  const AwayTracker& away() const { return away_; }
  const StaleDetector& stale() const { return stale_; }
  const Watchdog& watchdog() const { return watchdog_; }
  const DegradedDetector& degraded() const { return degraded_; }
  const std::map<AlertModule, ActiveAlert>& alerts() const { return alerts_; }
  std::optional<Instant> pausedUntil() const { return pausedUntil_; }
  bool pausedIndefinitely() const { return pausedIndefinitely_; }
  // How long the timed pause was asked for, from the moment it was asked.
  Seconds pauseLength() const { return pauseLength_; }
  std::optional<Instant> snoozedUntil() const { return snoozedUntil_; }
  std::optional<Instant> hideGlowUntil() const { return hideGlowUntil_; }
  bool glowEnabled() const { return glowEnabled_; }
  bool chimeEnabled() const { return chimeEnabled_; }
  Seconds chimeDelay() const { return chimeDelay_; }
  Sensitivity sensitivity() const { return sensitivity_; }
  CheckInterval checkInterval() const { return checkInterval_; }
  bool cameraDozes() const { return cameraDozes_; }
  bool calibrating() const { return calibrating_; }
  bool calibrated() const { return calibrated_; }
  bool cameraMissing() const { return cameraMissing_; }
  bool cameraStopped() const { return cameraStopped_; }
  bool asleep() const { return asleep_; }
  bool locked() const { return locked_; }
  std::optional<SkipReason> lastSkip() const { return lastSkip_; }
  std::optional<LastReading> lastReading() const { return lastReading_; }
  const std::optional<CheckResult>& lastCheck() const { return lastCheck_; }
  std::optional<Instant> lastHandledCheckAt() const { return lastHandledCheckAt_; }
  const WrongTaps& wrongTaps() const { return wrongTaps_; }

 private:
  // One handler per input.
  void on(const input::Launch& in, MonitorOutput& out);
  void on(const input::Check& in, MonitorOutput& out);
  void on(const input::FrameArrived& in, MonitorOutput& out);
  void on(const input::Tick& in, MonitorOutput& out);
  void on(const input::System& in, MonitorOutput& out);
  void on(const input::Pause& in, MonitorOutput& out);
  void on(const input::Resume& in, MonitorOutput& out);
  void on(const input::Snooze& in, MonitorOutput& out);
  void on(const input::HideGlow& in, MonitorOutput& out);
  void on(const input::CalibrationStarted& in, MonitorOutput& out);
  void on(const input::CalibrationEnded& in, MonitorOutput& out);
  void on(const input::CameraStarted& in, MonitorOutput& out);
  void on(const input::CameraMissing& in, MonitorOutput& out);
  void on(const input::CameraBack& in, MonitorOutput& out);
  void on(const input::Wrong& in, MonitorOutput& out);

  // Steps shared by several inputs.
  void startIfWanted(Instant at, MonitorOutput& out) const;
  void forgetPresence();
  void dropAlerts(Instant at, MonitorOutput& out);
  void markCameraMissing(Instant at, MonitorOutput& out);
  void resume(Instant at, MonitorOutput& out);
  void applyWatchdogTimeout();

  // The alert book.
  void applyChange(AlertModule module, const std::optional<AlertChange>& change, const std::optional<std::string>& hint,
                   Instant at, MonitorOutput& out);
  void reset(AlertModule module, Instant at, MonitorOutput& out);
  void chimeIfDue(Instant at, MonitorOutput& out);

  Thresholds thresholds_;
  Calendar calendar_;
  MakeID makeID_;
  HeadAlertTracker head_;
  HandAlertTracker hand_;
  AwayTracker away_;
  StaleDetector stale_;
  Watchdog watchdog_;
  DegradedDetector degraded_;
  std::map<AlertModule, ActiveAlert> alerts_;
  std::optional<Instant> pausedUntil_;
  bool pausedIndefinitely_ = false;
  Seconds pauseLength_ = 0;
  std::optional<Instant> snoozedUntil_;
  std::optional<Instant> hideGlowUntil_;
  bool glowEnabled_ = true;
  bool chimeEnabled_ = true;
  Seconds chimeDelay_ = 180;
  Sensitivity sensitivity_ = Sensitivity::normal;
  CheckInterval checkInterval_ = CheckInterval::s15;
  bool cameraDozes_ = false;
  bool calibrating_ = false;
  bool calibrated_ = false;
  bool cameraMissing_ = false;
  bool cameraStopped_ = false;
  bool asleep_ = false;
  bool locked_ = false;
  std::optional<SkipReason> lastSkip_;
  std::optional<LastReading> lastReading_;
  std::optional<CheckResult> lastCheck_;
  std::optional<Instant> lastHandledCheckAt_;
  WrongTaps wrongTaps_;
};

}  // namespace kestrel
