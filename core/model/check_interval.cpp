#include "core/model/check_interval.hpp"

#include <cmath>

namespace kestrel {

std::string label(CheckInterval interval) {
  const std::int64_t s = rawValue(interval);
  if (s < 60) return std::to_string(s) + " s";
  return std::to_string(s / 60) + " min";
}

std::string phrase(Seconds intervalSeconds) {
  const auto n = static_cast<std::int64_t>(std::llround(intervalSeconds));
  if (n == 60) return "every minute";
  if (n < 61 || n % 60 != 0) return "every " + std::to_string(n) + " seconds";
  return "every " + std::to_string(n / 60) + " minutes";
}

std::string phrase(CheckInterval interval) { return phrase(seconds(interval)); }

}  // namespace kestrel
