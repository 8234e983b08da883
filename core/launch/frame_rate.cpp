#include "core/launch/frame_rate.hpp"

#include <algorithm>

namespace kestrel {

double FrameDuration::rate() const {
  if (value == 0) return 0;
  return static_cast<double>(timescale) / static_cast<double>(value);
}

std::optional<FrameRateRange> FrameRate::bestRange(const std::vector<FrameRateRange>& ranges) {
  std::optional<FrameRateRange> best;
  for (const auto& range : ranges) {
    if (!best || range.maxRate > best->maxRate) best = range;
  }
  return best;
}

std::optional<double> FrameRate::choose(const std::vector<FrameRateRange>& ranges, bool high) {
  const auto range = bestRange(ranges);
  if (!range) return std::nullopt;
  if (!high) return range->minRate;
  return std::min(std::max(range->minRate, burstRate), range->maxRate);
}

FrameDuration FrameRate::duration(double rate) {
  return {1000, static_cast<std::int32_t>(rate * 1000)};
}

}  // namespace kestrel
