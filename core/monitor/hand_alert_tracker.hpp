#pragma once

#include <cstdint>
#include <optional>

#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"
#include "core/monitor/alert_change.hpp"

namespace kestrel {

// Raises the hand-at-chin alert after a run of bad checks and clears it after a run of good
// ones, or after too many checks without hand evidence.
struct HandAlertTracker {
  Thresholds thresholds;  // reads handBadRun, handGoodRun, noEvidenceChecks
  std::int64_t badRun = 0;
  std::int64_t goodRun = 0;
  std::int64_t noEvidenceRun = 0;
  bool active = false;

  HandAlertTracker() = default;
  explicit HandAlertTracker(Thresholds t) : thresholds(std::move(t)) {}

  // Feeds one check's hand verdict (absent when the check was skipped or had none).
  std::optional<AlertChange> record(std::optional<HandVerdict> verdict);

  bool operator==(const HandAlertTracker&) const = default;
};

}  // namespace kestrel
