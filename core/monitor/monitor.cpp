#include "core/monitor/monitor.hpp"

#include "core/settings/app_settings.hpp"
#include "core/monitor/advisory_cadence.hpp"
#include "core/judgement/head_chin_geometry.hpp"
#include "core/base/uuid.hpp"

namespace kestrel {

// ---- small vocabulary ----------------------------------------------------------------------

bool stopsCamera(SystemEvent e) {
  return e == SystemEvent::sleep || e == SystemEvent::displaySleep || e == SystemEvent::lock;
}

bool isMixed(const CheckResult& check) {
  return (check.head && check.head->reason == InconclusiveReason::mixed) || check.hand == HandVerdict::mixed;
}

std::optional<LastReading> lastReadingOf(const CheckResult& check) {
  if (check.skip) return std::nullopt;
  if ((check.head && check.head->verdict == HeadVerdict::bad) || check.hand == HandVerdict::bad) return LastReading::bad;
  if (isMixed(check)) return std::nullopt;
  if (check.head && check.head->verdict == HeadVerdict::good) return LastReading::good;
  return std::nullopt;
}

Instant instantOf(const MonitorInput& in) {
  return std::visit([](const auto& i) { return i.at; }, in);
}

std::vector<std::string> raisedAlertIds(const std::vector<MonitorEvent>& events) {
  std::vector<std::string> ids;
  for (const auto& e : events) {
    if (const auto* raised = std::get_if<event::AlertRaised>(&e)) ids.push_back(raised->alertId);
  }
  return ids;
}

// ---- construction and settings -------------------------------------------------------------

Monitor::Monitor(Thresholds thresholds, Calendar calendar, bool calibrated, bool pausedIndefinitely, WrongTaps wrongTaps,
                 MakeID makeID)
    : thresholds_(std::move(thresholds)),
      calendar_(std::move(calendar)),
      makeID_(makeID ? std::move(makeID) : MakeID{randomUUID}),
      head_(thresholds_),
      hand_(thresholds_),
      away_(thresholds_),
      pausedIndefinitely_(pausedIndefinitely),
      chimeDelay_(thresholds_.chimeAfter),
      calibrated_(calibrated),
      wrongTaps_(std::move(wrongTaps)) {}

void Monitor::apply(const AppSettings& settings) {
  glowEnabled_ = settings.glowEnabled;
  chimeEnabled_ = settings.chimeEnabled;
  sensitivity_ = settings.sensitivity;
  checkInterval_ = settings.checkInterval;
  chimeDelay_ = seconds(settings.chimeDelay);

  // The trackers count checks: rescale their windows to the interval but keep what they hold.
  const Thresholds scaled = thresholds_.applying(checkInterval_);
  head_.thresholds = scaled;
  hand_.thresholds = scaled;
  away_.thresholds = scaled;

  const AdvisoryCadence cadence(seconds(checkInterval_), cameraDozes_, Thresholds{}.checkInterval);
  stale_.needed = cadence.staleChecks;
  stale_.span = cadence.staleSpan;
  degraded_.size = cadence.degradedChecks;
  watchdog_.setTimeout(cadence.watchdogTimeout);
}

void Monitor::setCameraDozes(bool dozes) {
  cameraDozes_ = dozes;
  applyWatchdogTimeout();
}

void Monitor::applyWatchdogTimeout() {
  const AdvisoryCadence cadence(seconds(checkInterval_), cameraDozes_, Thresholds{}.checkInterval);
  watchdog_.setTimeout(cadence.watchdogTimeout);
}

// ---- queries -------------------------------------------------------------------------------

bool Monitor::cameraWanted(Instant at) const {
  if (asleep_ || locked_) return false;
  if (calibrating_) return true;
  if (!calibrated_ || pausedIndefinitely_) return false;
  return !pausedUntil_ || at >= *pausedUntil_;
}

bool Monitor::isPaused(Instant at) const { return pausedIndefinitely_ || (pausedUntil_ && *pausedUntil_ > at); }

bool Monitor::isGlowHidden(Instant at) const { return hideGlowUntil_ && *hideGlowUntil_ > at; }

CheckContext Monitor::context(Instant at, bool cameraEffects) const {
  CheckContext c;
  c.capturing = calibrating_;
  c.cameraMissing = cameraMissing_;
  c.cameraEffects = cameraEffects;
  c.handSnoozed = snoozedUntil_ && *snoozedUntil_ > at;
  return c;
}

Thresholds Monitor::checkThresholds() const { return thresholds_.applying(sensitivity_).applying(checkInterval_); }

// ---- handle --------------------------------------------------------------------------------

MonitorOutput Monitor::handle(const MonitorInput& input) {
  MonitorOutput out;
  std::visit([&](const auto& in) { on(in, out); }, input);
  return out;
}

void Monitor::on(const input::Launch& in, MonitorOutput& out) {
  out.events.push_back(event::Launch{});
  out.commands.push_back(MonitorCommand::recheckPermission);
  startIfWanted(in.at, out);
}

void Monitor::on(const input::Check& in, MonitorOutput& out) {
  if (isPaused(in.at) || asleep_ || locked_ || calibrating_) return;
  const CheckResult& result = in.result;
  const Instant at = in.at;

  out.writeCheckLine = true;

  lastSkip_ = result.skip;
  // A check whose frames disagreed leaves the last definite reading standing.
  if (auto reading = lastReadingOf(result); reading || !isMixed(result)) lastReading_ = reading;
  lastCheck_ = result;
  lastHandledCheckAt_ = at;

  if (auto change = stale_.record(result, at)) {
    if (*change) {
      out.events.push_back(event::StaleOn{});
    } else {
      out.events.push_back(event::StaleOff{});
    }
  }
  out.checkStale = stale_.isStale;

  if (auto change = degraded_.record(result, stale_.isStale)) {
    if (*change) {
      out.events.push_back(event::DegradedOn{**change});
    } else {
      out.events.push_back(event::DegradedOff{});
    }
  }

  if (auto change = away_.record(result)) {
    if (const auto* wentAway = std::get_if<AwayTracker::On>(&*change)) {
      out.events.push_back(event::AwayOn{wentAway->reason});
      lastReading_.reset();
      lastCheck_.reset();
      lastHandledCheckAt_.reset();
      dropAlerts(at, out);
    } else {
      out.events.push_back(event::AwayOff{});
    }
  }

  // A skipped check carries no verdicts, whatever the result holds.
  const std::optional<HeadResult> headResult = result.skip ? std::nullopt : result.head;
  const std::optional<HandVerdict> handVerdict = result.skip ? std::nullopt : result.hand;

  const auto headChange = head_.record(headResult);
  std::optional<std::string> headHint;
  if (head_.latestBadCause) headHint = std::string(HeadChinGeometry::headHint(*head_.latestBadCause));
  applyChange(AlertModule::head, headChange, headHint, at, out);

  const auto handChange = hand_.record(handVerdict);
  applyChange(AlertModule::hand, handChange, std::string(HeadChinGeometry::handHint), at, out);

  // The chime delay counts from the last check that gave no evidence.
  const bool headMissing = !headResult || (headResult->verdict == HeadVerdict::inconclusive &&
                                           headResult->reason != InconclusiveReason::mixed);
  if (auto found = alerts_.find(AlertModule::head); headMissing && found != alerts_.end()) {
    found->second.chimeTimerStart = at;
  }
  const bool handMissing = !handVerdict || handVerdict == HandVerdict::snoozed;
  if (auto found = alerts_.find(AlertModule::hand); handMissing && found != alerts_.end()) {
    found->second.chimeTimerStart = at;
  }

  chimeIfDue(at, out);
}

void Monitor::on(const input::FrameArrived& in, MonitorOutput& out) {
  watchdog_.lastFrameAt = in.at;
  watchdog_.heldTimeout.reset();
  if (std::holds_alternative<Watchdog::Ok>(watchdog_.stage)) return;
  watchdog_.stage = Watchdog::Ok{};
  cameraStopped_ = false;
  if (cameraMissing_) {
    cameraMissing_ = false;
    out.events.push_back(event::CameraBack{});
  }
}

void Monitor::on(const input::Tick& in, MonitorOutput& out) {
  const Instant now = in.at;
  if (pausedUntil_ && now >= *pausedUntil_ && !pausedIndefinitely_) resume(now, out);

  const bool running = !asleep_ && !locked_ && (calibrating_ || calibrated_) && !pausedIndefinitely_ &&
                       !(pausedUntil_ && *pausedUntil_ > now);
  if (auto action = watchdog_.tick(now, running)) {
    switch (*action) {
      case Watchdog::Action::stop:
        cameraStopped_ = true;
        out.events.push_back(event::CameraStopped{});
        break;
      case Watchdog::Action::restart:
        out.events.push_back(event::WatchdogRestart{});
        out.commands.push_back(MonitorCommand::restartSession);
        markCameraMissing(now, out);
        break;
    }
  }

  chimeIfDue(now, out);
}

void Monitor::on(const input::System& in, MonitorOutput& out) {
  // System events during a pause are not logged.
  if (!isPaused(in.at)) out.events.push_back(event::System{in.event});
  switch (in.event) {
    case SystemEvent::sleep:
    case SystemEvent::displaySleep:
      asleep_ = true;
      break;
    case SystemEvent::wake:
    case SystemEvent::displayWake:
      asleep_ = false;
      break;
    case SystemEvent::lock:
      locked_ = true;
      break;
    case SystemEvent::unlock:
      locked_ = false;
      break;
  }
  if (stopsCamera(in.event)) {
    forgetPresence();
    dropAlerts(in.at, out);
    watchdog_.disarm();
    out.commands.push_back(MonitorCommand::stopCamera);
    return;
  }
  if (in.event == SystemEvent::wake) out.commands.push_back(MonitorCommand::recheckPermission);
  startIfWanted(in.at, out);
}

void Monitor::on(const input::Pause& in, MonitorOutput& out) {
  pausedUntil_ = in.until;
  pausedIndefinitely_ = !in.until;
  pauseLength_ = in.until ? *in.until - in.at : 0;
  forgetPresence();
  dropAlerts(in.at, out);
  out.events.push_back(event::Paused{in.until});
  watchdog_.disarm();
  out.commands.push_back(MonitorCommand::stopCamera);
}

void Monitor::on(const input::Resume& in, MonitorOutput& out) { resume(in.at, out); }

void Monitor::on(const input::Snooze& in, MonitorOutput& out) {
  snoozedUntil_ = in.until;
  reset(AlertModule::hand, in.at, out);
  out.events.push_back(event::Snoozed{in.until});
}

void Monitor::on(const input::HideGlow& in, MonitorOutput& out) {
  if (!glowEnabled_) return;
  hideGlowUntil_ = in.until;
  out.events.push_back(event::HideGlow{in.until});
}

void Monitor::on(const input::CalibrationStarted& in, MonitorOutput& out) {
  forgetPresence();
  dropAlerts(in.at, out);
  calibrating_ = true;
  out.events.push_back(event::CalibrationStarted{});
}

void Monitor::on(const input::CalibrationEnded& in, MonitorOutput& out) {
  calibrating_ = false;
  if (in.saved) calibrated_ = true;
  out.events.push_back(event::CalibrationEnded{in.saved});
  if (in.saved) {
    // A new calibration: whatever looked off against the old one no longer counts.
    const bool wasStale = stale_.isStale;
    stale_.samples.clear();
    stale_.leanIn.clear();
    stale_.isStale = false;
    if (wasStale) out.events.push_back(event::StaleOff{});
  }
  if (!cameraWanted(in.at)) {
    watchdog_.disarm();
    out.commands.push_back(MonitorCommand::stopCamera);
  }
}

void Monitor::on(const input::CameraStarted& in, MonitorOutput&) { watchdog_.arm(in.at); }

void Monitor::on(const input::CameraMissing& in, MonitorOutput& out) { markCameraMissing(in.at, out); }

void Monitor::on(const input::CameraBack& in, MonitorOutput& out) {
  if (!cameraMissing_) return;
  cameraMissing_ = false;
  cameraStopped_ = false;
  watchdog_.lastFrameAt = in.at;
  watchdog_.heldTimeout.reset();
  watchdog_.stage = Watchdog::Ok{};
  out.events.push_back(event::CameraBack{});
}

// ---- shared steps --------------------------------------------------------------------------

void Monitor::startIfWanted(Instant at, MonitorOutput& out) const {
  if (cameraWanted(at)) out.commands.push_back(MonitorCommand::startCamera);
}

void Monitor::forgetPresence() {
  away_.run = 0;
  away_.isAway = false;
  away_.reason.reset();
  lastReading_.reset();
  lastCheck_.reset();
  lastHandledCheckAt_.reset();
}

void Monitor::dropAlerts(Instant at, MonitorOutput& out) {
  reset(AlertModule::head, at, out);
  reset(AlertModule::hand, at, out);
}

void Monitor::markCameraMissing(Instant at, MonitorOutput& out) {
  if (cameraMissing_) return;
  cameraMissing_ = true;
  out.events.push_back(event::CameraMissing{});
  forgetPresence();
  dropAlerts(at, out);
}

void Monitor::resume(Instant at, MonitorOutput& out) {
  if (!pausedIndefinitely_ && !pausedUntil_) return;
  pausedUntil_.reset();
  pausedIndefinitely_ = false;
  out.events.push_back(event::Resumed{});
  startIfWanted(at, out);
}

// ---- the alert book ------------------------------------------------------------------------
// Raising and clearing alerts from tracker changes, the single chime of each alert, and the
// user's "wrong" taps.

void Monitor::applyChange(AlertModule module, const std::optional<AlertChange>& change,
                          const std::optional<std::string>& hint, Instant at, MonitorOutput& out) {
  if (!change) {
    // A raised alert follows the most recent cause without a new raise.
    if (auto found = alerts_.find(module); hint && found != alerts_.end()) found->second.hint = *hint;
    return;
  }
  if (const auto* raise = std::get_if<alert_change::Raise>(&*change)) {
    ActiveAlert alert(makeID_(), module, raise->hint, at);
    const bool hidden = isGlowHidden(at) || !glowEnabled_;
    out.events.push_back(event::AlertRaised{module, alert.id, alert.hint, hidden});
    alerts_.insert_or_assign(module, std::move(alert));
    return;
  }
  const auto& clear = std::get<alert_change::Clear>(*change);
  if (auto found = alerts_.find(module); found != alerts_.end()) {
    out.events.push_back(event::AlertCleared{module, found->second.id, clear.reason});
    alerts_.erase(found);
  }
}

void Monitor::reset(AlertModule module, Instant at, MonitorOutput& out) {
  // Back to the initial state, keeping the thresholds the settings gave it.
  switch (module) {
    case AlertModule::head:
      head_ = HeadAlertTracker(head_.thresholds);
      break;
    case AlertModule::hand:
      hand_ = HandAlertTracker(hand_.thresholds);
      break;
  }
  applyChange(module, alert_change::Clear{ClearReason::reset}, std::nullopt, at, out);
}

void Monitor::chimeIfDue(Instant at, MonitorOutput& out) {
  // Hiding the glow also silences the chime; a disabled glow does not.
  if (!chimeEnabled_ || isGlowHidden(at)) return;
  for (auto& [module, alert] : alerts_) {
    if (alert.chimed || alert.hiddenByWrong || at - alert.chimeTimerStart < chimeDelay_) continue;
    alert.chimed = true;
    out.events.push_back(event::Chime{module, alert.id});
    out.commands.push_back(MonitorCommand::playChime);
  }
}

void Monitor::on(const input::Wrong& in, MonitorOutput& out) {
  auto found = alerts_.find(in.module);
  if (found == alerts_.end()) return;
  // The alert stays raised but silent for the rest of its life.
  found->second.hiddenByWrong = true;
  ++wrongTaps_[wrongTapKey(in.at, in.module)];
  out.events.push_back(event::Wrong{in.module, found->second.id});
}

std::string Monitor::wrongTapKey(Instant at, AlertModule module) const {
  const CivilTime day = calendar_.civil(at);
  return std::to_string(day.year) + "-" + std::to_string(day.month) + "-" + std::to_string(day.day) + "-" +
         std::string(toText(module));
}

bool Monitor::offersRecalibrate(AlertModule module, Instant at) const {
  auto found = wrongTaps_.find(wrongTapKey(at, module));
  return found != wrongTaps_.end() && found->second > 1;
}

std::vector<ActiveAlert> Monitor::visibleAlerts(Instant at) const {
  std::vector<ActiveAlert> visible;
  if (isGlowHidden(at) || !glowEnabled_) return visible;
  for (const auto& [module, alert] : alerts_) {
    if (!alert.hiddenByWrong) visible.push_back(alert);
  }
  return visible;
}

}  // namespace kestrel
