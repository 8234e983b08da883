#include "core/monitor/check_scheduler.hpp"

#include <algorithm>

namespace kestrel {

CheckScheduler::CheckScheduler(const Thresholds& thresholds)
    : interval(thresholds.checkInterval), burstSpacing(thresholds.burstSpacing) {}

bool CheckScheduler::takeCheck(Instant now) {
  if (!lastCheckAt) {
    lastCheckAt = now;
    return true;
  }
  if (now - *lastCheckAt < interval) return false;
  const Instant due = *lastCheckAt + interval;
  lastCheckAt = now - due <= gridSlack ? due : now;
  return true;
}

void CheckScheduler::setInterval(Seconds seconds) { interval = seconds; }

std::optional<Instant> CheckScheduler::nextCheckDue() const {
  if (!lastCheckAt) return std::nullopt;
  return *lastCheckAt + interval;
}

std::vector<Instant> CheckScheduler::burstTimes(Instant start, std::int64_t count) const {
  const std::int64_t n = std::max<std::int64_t>(count, 1);
  std::vector<Instant> times;
  times.reserve(static_cast<std::size_t>(n));
  for (std::int64_t k = 1; k <= n; ++k) times.push_back(start + burstSpacing * static_cast<double>(k));
  return times;
}

bool CheckScheduler::wantsHighFrameRate(bool calibrating, bool bursting) { return calibrating || bursting; }

}  // namespace kestrel
