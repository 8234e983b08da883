#include "core/log/today_log.hpp"

#include "core/log/score.hpp"
#include "core/monitor/status_texts.hpp"

namespace kestrel {

TodayLog TodayLog::read(const CheckLogStore& log, const std::vector<ActiveAlert>& active, bool glowEnabled,
                        Instant now) {
  const DayLines day = log.dayLines(now);
  return {Score::percent(day.checks), AlertHistory::rows(day.events, log.clock, active, glowEnabled)};
}

std::optional<std::int64_t> TodaySummary::scorePercent(const CheckLogStore& log, Instant now) {
  return Score::percent(log.dayLines(now).checks);
}

}  // namespace kestrel
