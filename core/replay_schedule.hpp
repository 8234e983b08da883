#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "core/thresholds.hpp"

namespace kestrel {

// How a replay lays calibration frames and checks over a stretch of video (video seconds).
struct ReplaySchedule {
  struct Check {
    double time = 0;           // where the check's first frame is taken
    std::vector<double> burst;  // the burst frames' times

    bool operator==(const Check&) const = default;
  };
  // A stretch with fewer than three checks.
  struct TooShort {
    std::int64_t checks = 0;
    bool operator==(const TooShort&) const = default;
  };

  // Five frames a quarter second apart from `start`.
  static std::vector<double> calibrationTimes(double start);
  // Checks every checkInterval from `start` while the whole burst fits before `end`.
  static std::variant<std::vector<Check>, TooShort> checks(double start, double end, const Thresholds& thresholds);
};

}  // namespace kestrel
