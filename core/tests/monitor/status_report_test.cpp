#include "core/monitor/status_report.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel {
namespace {

constexpr Instant noon = 1773057600;  // 2026-03-09T12:00:00Z

TEST(StatusReport, ReadsTodaysScoreAndAlertsWithoutARunningKestrel) {
  testing::TempFolder folder;
  const CheckLogStore log{folder / "logs", LogClock{Calendar::utc()}};
  EXPECT_EQ(StatusReport::fromLog(log, noon).json(),
            R"({"alertsToday":0,"lastCheck":"","lastCheckAt":"","menuIcon":"idle","paused":false,)"
            R"("running":false,"scorePercent":null,"status":"Kestrel is not running"})");

  log.append(testing::scoredLine(HeadVerdict::good, HandVerdict::good), noon);
  log.append(testing::scoredLine(HeadVerdict::bad, HandVerdict::good), noon + 60);
  EventLine raise;
  raise.t = "2026-03-09T12:01:00Z";
  raise.event = "alert_raise";
  raise.module = AlertModule::head;
  raise.alertId = "A";
  log.append(raise, noon + 60);
  // Yesterday's log counts for nothing today.
  log.append(raise, noon - 86400);
  const StatusReport report = StatusReport::fromLog(log, noon + 120);
  EXPECT_EQ(report.scorePercent, 50);
  EXPECT_EQ(report.alertsToday, 1);
  EXPECT_EQ(report.lines(), "Kestrel is not running\nToday's score: 50 %\nNo check yet\n");
}

TEST(StatusReport, PrintsARunningKestrelsLines) {
  StatusReport report{true, "Watching", "good", 72, false, "Last check: good", "2026-03-09T12:00:00Z", 2};
  EXPECT_EQ(report.lines(), "Watching\nToday's score: 72 %\nLast check: good\n");
  EXPECT_EQ(report.json(),
            R"({"alertsToday":2,"lastCheck":"Last check: good","lastCheckAt":"2026-03-09T12:00:00Z",)"
            R"("menuIcon":"good","paused":false,"running":true,"scorePercent":72,"status":"Watching"})");
  const StatusReport paused{true, "Paused for 30 min", "idle", std::nullopt, true, "", "2026-03-09T12:00:00Z", 0};
  EXPECT_EQ(paused.lines(), "Paused for 30 min\nToday's score: —\n");
}

}  // namespace
}  // namespace kestrel
