#include "core/monitor/hand_alert_tracker.hpp"

#include <string>

#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

std::optional<AlertChange> HandAlertTracker::record(std::optional<HandVerdict> verdict) {
  if (verdict == HandVerdict::mixed) return std::nullopt;

  if (!verdict || verdict == HandVerdict::snoozed) {
    badRun = 0;
    goodRun = 0;
    ++noEvidenceRun;
    if (active && noEvidenceRun >= thresholds.noEvidenceChecks) {
      noEvidenceRun = 0;
      active = false;
      return alert_change::Clear{ClearReason::noEvidence};
    }
    return std::nullopt;
  }

  noEvidenceRun = 0;
  if (verdict == HandVerdict::bad) {
    ++badRun;
    goodRun = 0;
  } else {
    ++goodRun;
    badRun = 0;
  }

  if (!active && badRun >= thresholds.handBadRun) {
    active = true;
    return alert_change::Raise{std::string(HeadChinGeometry::handHint)};
  }
  if (active && goodRun >= thresholds.handGoodRun) {
    badRun = 0;
    goodRun = 0;
    noEvidenceRun = 0;
    active = false;
    return alert_change::Clear{ClearReason::recovered};
  }
  return std::nullopt;
}

}  // namespace kestrel
