#include "core/log/score_trend.hpp"

#include <algorithm>

#include "core/log/score.hpp"

namespace kestrel {

std::vector<DayScore> ScoreTrend::read(const CheckLogStore& log, Instant now, std::int64_t count) {
  std::vector<DayScore> scores;
  // Stepping from the start of one day to the start of the one before stays on whole days
  // whatever daylight saving does to their length.
  Instant day = log.clock.timeZone.startOfDay(now);
  for (std::int64_t i = 0; i < count; ++i) {
    scores.push_back({log.clock.dayName(day), Score::percent(log.dayLines(day).checks)});
    day = log.clock.timeZone.startOfDay(day - 1);
  }
  std::reverse(scores.begin(), scores.end());
  return scores;
}

}  // namespace kestrel
