#pragma once

#include <cstdint>

#include "core/base/instant.hpp"

namespace kestrel {

// Sizes of the stale and degraded windows and the watchdog's patience for a check interval.
struct AdvisoryCadence {
  std::int64_t staleChecks = 40;
  Seconds staleSpan = 1200;
  std::int64_t degradedChecks = 40;
  Seconds watchdogTimeout = 60;

  // interval: seconds between checks; dozing: the camera sleeps between checks;
  // tuned: the interval the thresholds' counts were tuned for.
  AdvisoryCadence(Seconds interval, bool dozing, Seconds tuned);

  bool operator==(const AdvisoryCadence&) const = default;
};

}  // namespace kestrel
