#include "core/log/score_trend.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

using testing::scoredLine;

TEST(ScoreTrend, FourteenWholeDaysAcrossADaylightSavingChangeWithGapsAndSkippedDays) {
  testing::TempFolder folder;
  const Calendar berlin = *Calendar::named("Europe/Berlin");
  const CheckLogStore log{folder / "logs", LogClock{berlin}};
  // Clocks went forward on 29 March 2026; that day has 23 hours.
  const Instant now = berlin.instant(2026, 3, 30, 0, 30);
  const Instant changeDay = berlin.instant(2026, 3, 29, 23, 50);
  for (int i = 0; i < 18; ++i) log.append(scoredLine(HeadVerdict::good, HandVerdict::good), changeDay);
  for (int i = 0; i < 7; ++i) log.append(scoredLine(HeadVerdict::bad, HandVerdict::good), changeDay);
  log.append(scoredLine(HeadVerdict::good, HandVerdict::good, SkipReason::dark), berlin.instant(2026, 3, 27, 12));
  log.append(scoredLine(HeadVerdict::good, HandVerdict::good), now);
  log.append(scoredLine(HeadVerdict::good, HandVerdict::good), berlin.instant(2026, 3, 16, 23, 59));  // too old

  const std::vector<DayScore> trend = ScoreTrend::read(log, now);
  std::vector<DayScore> expected;
  for (int day = 17; day <= 30; ++day) expected.push_back({"2026-03-" + std::to_string(day), std::nullopt});
  expected[12].percent = 72;  // the 29th
  expected[13].percent = 100;
  EXPECT_EQ(trend, expected);
}

}  // namespace
}  // namespace kestrel
