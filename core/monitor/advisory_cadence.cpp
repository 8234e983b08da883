#include "core/monitor/advisory_cadence.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrel {

AdvisoryCadence::AdvisoryCadence(Seconds interval, bool dozing, Seconds tuned) {
  const double checks = std::round(40.0 * tuned / interval);
  // Only the five check intervals reach here; anything else is a programming error.
  if (!std::isfinite(checks) || checks < 0 || checks > 1e9) std::abort();
  const auto count = std::max<std::int64_t>(static_cast<std::int64_t>(checks), 10);
  staleChecks = count;
  degradedChecks = count;
  staleSpan = std::max(interval * 2 * static_cast<double>(count), 1200.0);
  watchdogTimeout = dozing && interval + 30 >= 60 ? interval + 30 : 60;
}

}  // namespace kestrel
