#include "core/today_log.hpp"

#include "core/score.hpp"

namespace kestrel {

TodayLog TodayLog::read(const CheckLogStore& log, const std::vector<ActiveAlert>& active, bool glowEnabled,
                        Instant now) {
  const DayLines day = log.dayLines(now);
  return {Score::percent(day.checks), AlertHistory::rows(day.events, log.clock, active, glowEnabled)};
}

}  // namespace kestrel
