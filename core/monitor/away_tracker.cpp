#include "core/monitor/away_tracker.hpp"

namespace kestrel {

std::optional<AwayTracker::Change> AwayTracker::record(const CheckResult& check) {
  if (!check.skip) {
    run = 0;
    reason.reset();
    if (!isAway) return std::nullopt;
    isAway = false;
    return Off{};
  }
  switch (*check.skip) {
    case SkipReason::dark:
    case SkipReason::noFace:
    case SkipReason::faceTooSmall:
      ++run;
      reason = check.skip;
      if (isAway || run < thresholds.awayChecks) return std::nullopt;
      isAway = true;
      return On{*check.skip};
    case SkipReason::capturing:
    case SkipReason::cameraMissing:
    case SkipReason::cameraEffects:
    case SkipReason::multipleFaces:
    case SkipReason::yawOutOfRange:
      break;
  }
  // Says nothing about presence: the run is neither extended nor broken.
  return std::nullopt;
}

}  // namespace kestrel
