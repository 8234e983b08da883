#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/instant.hpp"
#include "core/log/check_log_store.hpp"

namespace kestrel {

// One day of the score trend: its day name and its score, absent when no check of that day
// counts (a day away, or one without a log file).
struct DayScore {
  std::string day;
  std::optional<std::int64_t> percent;

  bool operator==(const DayScore&) const = default;
};

// The daily scores of the last weeks, for the Today tab's bar chart: is the user sitting
// better than before?
namespace ScoreTrend {

inline constexpr std::int64_t days = 14;

// The scores of `count` local days ending with the day of `now`, oldest first (today last),
// each read from its day file the way today's score is.
std::vector<DayScore> read(const CheckLogStore& log, Instant now, std::int64_t count = days);

}  // namespace ScoreTrend

}  // namespace kestrel
