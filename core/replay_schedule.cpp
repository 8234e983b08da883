#include "core/replay_schedule.hpp"

namespace kestrel {

std::vector<double> ReplaySchedule::calibrationTimes(double start) {
  return {start, start + 0.25, start + 0.5, start + 0.75, start + 1.0};
}

std::variant<std::vector<ReplaySchedule::Check>, ReplaySchedule::TooShort> ReplaySchedule::checks(
    double start, double end, const Thresholds& thresholds) {
  const auto n = thresholds.burstFrames;
  const double s = thresholds.burstSpacing;
  const double c = thresholds.checkInterval;
  std::vector<Check> result;
  if (c > 0) {
    // Each start is computed from `start` afresh so long stretches do not drift.
    for (std::int64_t k = 0;; ++k) {
      const double t = start + static_cast<double>(k) * c;
      if (!(t + static_cast<double>(n) * s <= end)) break;
      Check check{t, {}};
      for (std::int64_t i = 1; i <= n; ++i) check.burst.push_back(t + static_cast<double>(i) * s);
      result.push_back(std::move(check));
    }
  }
  if (result.size() < 3) return TooShort{static_cast<std::int64_t>(result.size())};
  return result;
}

}  // namespace kestrel
