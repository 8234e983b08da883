#include "core/monitor/status_texts.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/monitor/monitor.hpp"

namespace kestrel {

MenuIconTint tint(MenuIconState state) {
  switch (state) {
    case MenuIconState::good:
      return MenuIconTint::green;
    case MenuIconState::bad:
      return MenuIconTint::red;
    case MenuIconState::idle:
    case MenuIconState::cameraProblem:
      break;
  }
  return MenuIconTint::grey;
}

std::string_view symbol(MenuIconState state) {
  switch (state) {
    case MenuIconState::good:
      return "checkmark.circle.fill";
    case MenuIconState::bad:
      return "xmark.circle.fill";
    case MenuIconState::idle:
      return "minus.circle";
    case MenuIconState::cameraProblem:
      break;
  }
  return "exclamationmark.triangle";
}

std::string_view label(MenuIconState state) {
  switch (state) {
    case MenuIconState::good:
      return "Kestrel: last check good";
    case MenuIconState::bad:
      return "Kestrel: last check needs attention";
    case MenuIconState::idle:
      return "Kestrel: not checking";
    case MenuIconState::cameraProblem:
      break;
  }
  return "Kestrel: camera problem";
}

std::string_view plainWords(SkipReason reason) {
  switch (reason) {
    case SkipReason::capturing:
      return "calibration running";
    case SkipReason::cameraMissing:
      return "camera missing";
    case SkipReason::cameraEffects:
      return "camera effects on";
    case SkipReason::dark:
      return "too dark";
    case SkipReason::noFace:
      return "no face";
    case SkipReason::faceTooSmall:
      return "face too small";
    case SkipReason::multipleFaces:
      return "more than one face";
    case SkipReason::yawOutOfRange:
      break;
  }
  return "looking away";
}

bool permissionNeeded(CameraPermission permission) {
  return permission == CameraPermission::denied || permission == CameraPermission::restricted;
}

// ---- the monitor's texts -------------------------------------------------------------------

MenuIcon menuIcon(const Monitor& monitor, Instant at, bool cameraPermissionNeeded) {
  const Monitor& m = monitor;
  // The icon shows the last definite reading, not the alert state.
  if (cameraPermissionNeeded && !m.calibrated() && !m.calibrating()) return {MenuIconState::cameraProblem};
  if (m.asleep() || m.locked() || m.calibrating() || !m.calibrated() || m.pausedIndefinitely()) {
    return {MenuIconState::idle};
  }
  if (m.pausedUntil() && *m.pausedUntil() > at) return {MenuIconState::idle};
  if (cameraPermissionNeeded || m.cameraStopped() || m.cameraMissing()) return {MenuIconState::cameraProblem};
  if (m.isAway() || !m.lastReading()) return {MenuIconState::idle};
  return {*m.lastReading() == LastReading::good ? MenuIconState::good : MenuIconState::bad};
}

namespace {

// The menu's own pause lasts an hour; one asked for from the command line or D-Bus says its
// length, in whole minutes.
std::string pausedForText(Seconds length) {
  const auto minutes = static_cast<long long>(std::llround(length / 60));
  if (minutes == 60) return "Paused for an hour";
  if (minutes < 60) return "Paused for " + std::to_string(std::max(1LL, minutes)) + " min";
  return "Paused for " + std::to_string(minutes / 60) + " h" +
         (minutes % 60 ? " " + std::to_string(minutes % 60) + " min" : std::string());
}

}  // namespace

std::string monitorStatus(const Monitor& monitor, Instant at) {
  const Monitor& m = monitor;
  if (m.pausedIndefinitely()) return "Paused";
  if (m.pausedUntil() && *m.pausedUntil() > at) return pausedForText(m.pauseLength());
  if (m.cameraStopped()) return "Camera stopped";
  if (m.cameraMissing()) return "Laptop camera unavailable";
  if (m.calibrating()) return "Calibrating";
  if (!m.calibrated()) return "Not calibrated · choose Calibrate…";
  if (m.lastSkip() == SkipReason::cameraEffects) return "Turn off camera effects";
  if (m.isAway()) return m.away().reason == SkipReason::dark ? "Too dark to see you" : "Away";
  if (m.degradedReason()) return *m.degradedReason();
  if (m.isStale()) return "Camera may have moved";
  if (!m.isGlowHidden(at)) {
    for (const auto& [module, alert] : m.alerts()) {
      if (!alert.hiddenByWrong) return alert.hint;
    }
  }
  return "Watching";
}

namespace {

std::string_view causeWords(std::optional<HeadCause> cause) {
  switch (cause.value_or(HeadCause::headForward)) {
    case HeadCause::headForward:
      return "head forward";
    case HeadCause::leanIn:
      return "leaning in";
    case HeadCause::tooClose:
      break;
  }
  return "too close";
}

}  // namespace

std::string lastCheckText(const Monitor& monitor) {
  if (!monitor.lastCheck()) return "No check yet";
  const CheckResult& check = *monitor.lastCheck();
  if (check.skip) return "Last check skipped: " + std::string(plainWords(*check.skip));

  std::vector<std::string_view> findings;
  bool unalerted = false;
  if (check.head && check.head->verdict == HeadVerdict::bad) {
    findings.push_back(causeWords(check.head->cause));
    unalerted = unalerted || !monitor.alerts().contains(AlertModule::head);
  }
  if (check.hand == HandVerdict::bad) {
    findings.push_back("hand at chin");
    unalerted = unalerted || !monitor.alerts().contains(AlertModule::hand);
  }
  if (!findings.empty()) {
    std::string text = "Last check: ";
    for (std::size_t i = 0; i < findings.size(); ++i) text += (i ? ", " : "") + std::string(findings[i]);
    if (unalerted) text += " · no alert yet";
    return text;
  }
  if (isMixed(check)) return "Last check: the frames disagreed";
  if (check.head && check.head->verdict == HeadVerdict::good) return "Last check: good";
  if (check.head && check.head->reason) {
    std::string words(toText(*check.head->reason));
    for (char& c : words) {
      if (c == '_') c = ' ';
    }
    return "Last check: not judged (" + words + ")";
  }
  return "Last check: not judged";
}

// ---- today's summary -----------------------------------------------------------------------

TodaySummary::TodaySummary(const Monitor& monitor, CameraPermission permission,
                           std::optional<std::int64_t> scorePercent, Instant now)
    : status(statusText(monitor, permission, now)),
      icon(menuIcon(monitor, now, permissionNeeded(permission))),
      age(ageText(monitor.lastHandledCheckAt(), now)),
      scoreText(percentText(scorePercent)),
      lastCheck(lastCheckText(monitor)) {}

std::string TodaySummary::percentText(std::optional<std::int64_t> scorePercent) {
  return scorePercent ? std::to_string(*scorePercent) + " %" : "—";
}

std::string TodaySummary::statusText(const Monitor& monitor, CameraPermission permission, Instant now) {
  if (permissionNeeded(permission)) return "Camera access needed";
  return monitorStatus(monitor, now);
}

std::string TodaySummary::ageText(std::optional<Instant> since, Instant now) {
  if (!since) return "no check yet";
  const double elapsed = std::trunc(now - *since);
  const auto s = elapsed > 0 ? static_cast<std::int64_t>(std::min(elapsed, 1e15)) : std::int64_t{0};
  if (s <= 59) return "checked " + std::to_string(s) + " s ago";
  if (s <= 3599) return "checked " + std::to_string(s / 60) + " min ago";
  return "checked " + std::to_string(s / 3600) + " h ago";
}

}  // namespace kestrel
