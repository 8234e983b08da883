#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"
#include "core/monitor/alert_change.hpp"

namespace kestrel {

// Raises the head alert when enough of the recent evidence was bad, and clears it when enough
// evidence gathered since the raise lies clear of the hysteresis limits, or when evidence has
// been missing for too long.
struct HeadAlertTracker {
  Thresholds thresholds;                  // reads the head window sizes and noEvidenceChecks
  std::vector<HeadVerdict> window;        // recent good/bad verdicts, oldest first
  std::vector<bool> clearWindow;          // clearOK of the recent evidence, oldest first
  std::optional<HeadCause> latestBadCause;
  std::int64_t noEvidenceRun = 0;
  bool active = false;

  HeadAlertTracker() = default;
  explicit HeadAlertTracker(Thresholds t) : thresholds(std::move(t)) {}

  // Feeds one check's head result (absent when the check was skipped or had none).
  std::optional<AlertChange> record(const std::optional<HeadResult>& result);

  bool operator==(const HeadAlertTracker&) const = default;

 private:
  void reset();
};

}  // namespace kestrel
