#pragma once

#include <string>

#include "core/base/instant.hpp"
#include "core/model/thresholds.hpp"

namespace kestrel {

// How the check intervals are presented; the intervals themselves live with the thresholds.

// "15 s", "30 s", "1 min", "2 min", "5 min".
std::string label(CheckInterval interval);

// The cadence in words: "every minute" for 60 seconds, "every N minutes" for larger whole
// minutes, otherwise "every N seconds"; N is the seconds rounded to a whole number.
std::string phrase(Seconds intervalSeconds);
std::string phrase(CheckInterval interval);

}  // namespace kestrel
