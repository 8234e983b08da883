#include "core/monitor/head_alert_tracker.hpp"

#include <algorithm>

#include "core/base/keep_last.hpp"
#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

void HeadAlertTracker::reset() {
  window.clear();
  clearWindow.clear();
  latestBadCause.reset();
  noEvidenceRun = 0;
  active = false;
}

std::optional<AlertChange> HeadAlertTracker::record(const std::optional<HeadResult>& result) {
  // The frames of the check disagreed: neither evidence nor the lack of it.
  if (result && result->reason == InconclusiveReason::mixed) return std::nullopt;

  if (!result || result->verdict == HeadVerdict::inconclusive) {
    ++noEvidenceRun;
    if (active && noEvidenceRun >= thresholds.noEvidenceChecks) {
      reset();
      return alert_change::Clear{ClearReason::noEvidence};
    }
    return std::nullopt;
  }

  noEvidenceRun = 0;
  window.push_back(result->verdict);
  keepLast(window, thresholds.headWindow);
  clearWindow.push_back(result->clearOK);
  keepLast(clearWindow, thresholds.headClearWindow);
  if (result->verdict == HeadVerdict::bad && result->cause) latestBadCause = result->cause;

  if (!active) {
    const auto bad = std::count(window.begin(), window.end(), HeadVerdict::bad);
    if (bad < thresholds.headBadToRaise || !latestBadCause) return std::nullopt;
    active = true;
    // Clearing needs fresh evidence gathered after the raise.
    clearWindow.clear();
    return alert_change::Raise{std::string(HeadChinGeometry::headHint(*latestBadCause))};
  }

  const auto clear = std::count(clearWindow.begin(), clearWindow.end(), true);
  if (clear < thresholds.headClearNeeded) return std::nullopt;
  reset();
  return alert_change::Clear{ClearReason::recovered};
}

}  // namespace kestrel
