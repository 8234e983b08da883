#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel {

// Frames per second a camera format supports, from `minRate` to `maxRate`.
struct FrameRateRange {
  double minRate = 0;
  double maxRate = 0;

  bool operator==(const FrameRateRange&) const = default;
};

// The time between frames a camera is told to keep: `value` over `timescale` seconds.
struct FrameDuration {
  std::int64_t value = 0;
  std::int32_t timescale = 0;

  // Frames per second; 0 for a duration without a timescale.
  double rate() const;

  bool operator==(const FrameDuration&) const = default;
};

// The camera's frame rate: as low as its best range allows between bursts, about ten frames
// a second while a burst is collected.
namespace FrameRate {

inline constexpr double burstRate = 10;

// The range with the greatest maximum rate, the first of them on a tie.
std::optional<FrameRateRange> bestRange(const std::vector<FrameRateRange>& ranges);
// Idle: the best range's minimum. High: that minimum raised to at least `burstRate`, then
// lowered to at most the range's maximum. None without ranges.
std::optional<double> choose(const std::vector<FrameRateRange>& ranges, bool high);
// 1000 over the rate times 1000, truncated to a whole number.
FrameDuration duration(double rate);

}  // namespace FrameRate

}  // namespace kestrel
