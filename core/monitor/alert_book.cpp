// The monitor's alert book: raising and clearing alerts from tracker changes, the single
// chime of each alert, and the user's "wrong" taps.

#include "core/monitor/monitor.hpp"

#include <string>

namespace kestrel {

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
