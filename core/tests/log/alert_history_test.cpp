#include "core/log/alert_history.hpp"

#include <gtest/gtest.h>

#include "core/pictures/picture_request.hpp"
#include "core/monitor/status_texts.hpp"
#include "core/tests/support/log_builders.hpp"
#include "core/tests/support/temp_folder.hpp"
#include "core/log/today_log.hpp"

namespace kestrel {
namespace {

constexpr Instant raised = 1773047740;  // 2026-03-09T09:15:40Z
const LogClock utc{Calendar::utc()};

EventLine line(const char* name, const std::string& id, Instant at, std::optional<bool> hidden = false) {
  const LogClock berlin{*Calendar::named("Europe/Berlin")};
  EventLine e;
  e.event = name;
  e.alertId = id;
  // Stamps in another zone than the rows: the offset in the text is what counts.
  e.t = berlin.stamp(at);
  if (e.event == "alert_raise") {
    e.hint = "hint " + id;
    e.hidden = hidden;
  }
  return e;
}

TEST(AlertHistory, LengthOfEachAlert) {
  const std::vector<EventLine> events = {
      line("alert_raise", "MIN", raised),       line("alert_clear", "MIN", raised + 119),
      line("alert_raise", "SHORT", raised + 1), line("alert_clear", "SHORT", raised + 1 + 40),
      line("alert_raise", "OPEN", raised + 2),  line("alert_raise", "ACTIVE", raised + 3),
      line("alert_clear", "ACTIVE", raised + 4), line("alert_raise", "SIXTY", raised + 5),
      line("alert_clear", "SIXTY", raised + 65), line("alert_raise", "BACKWARDS", raised + 6),
      line("alert_clear", "BACKWARDS", raised),
  };
  const std::vector<ActiveAlert> active = {ActiveAlert("ACTIVE", AlertModule::hand, "now hint", raised + 3)};
  const auto rows = AlertHistory::rows(events, utc, active, true);
  std::vector<std::pair<std::string, std::string>> lengths;
  for (const AlertRow& row : rows) lengths.emplace_back(row.hint, row.length);
  EXPECT_EQ(lengths, (std::vector<std::pair<std::string, std::string>>{{"hint BACKWARDS", "< 1 min"},
                                                                       {"hint SIXTY", "1 min"},
                                                                       {"hint ACTIVE", "now"},
                                                                       {"hint OPEN", "ended (no clear logged)"},
                                                                       {"hint SHORT", "< 1 min"},
                                                                       {"hint MIN", "1 min"}}));
  EXPECT_EQ(rows.back().time, "09:15");
}

TEST(AlertHistory, RowText) {
  EXPECT_EQ((AlertRow{"09:15", "Head forward · tuck your chin", "1 min", std::nullopt}.text()),
            "09:15  Head forward · tuck your chin · 1 min");
  EXPECT_EQ((AlertRow{"23:59", "", "now", "(glow hidden)"}.text()), "23:59   · now (glow hidden)");
}

// The hidden tag shows only while the glow is on.
TEST(AlertHistory, ActiveAlertsWithoutARaiseLineAndHiddenTags) {
  // Raised yesterday at 22:10: listed with yesterday's time of raise.
  const std::vector<ActiveAlert> active = {ActiveAlert("OLD", AlertModule::head, "Too close to the screen · sit back",
                                                       1773007800)};
  const std::vector<EventLine> events = {line("alert_raise", "NEW", raised, true),
                                         line("alert_raise", "N", raised - 60, std::nullopt)};
  const auto rows = AlertHistory::rows(events, utc, active, true);
  EXPECT_EQ(rows, (std::vector<AlertRow>{{"09:15", "hint NEW", "ended (no clear logged)", "(glow hidden)"},
                                         {"09:14", "hint N", "ended (no clear logged)", std::nullopt},
                                         {"22:10", "Too close to the screen · sit back", "now", std::nullopt}}));
  EXPECT_EQ(AlertHistory::rows(events, utc, {}, false)[0].tag, std::nullopt);
}

TEST(AlertHistory, OrderLimitAndSkippedLines) {
  std::vector<EventLine> events;
  for (int i = 0; i < 25; ++i) events.push_back(line("alert_raise", "ID" + std::to_string(100 + i), raised + i * 60));
  // Two in the same second: the greater identifier first.
  events.push_back(line("alert_raise", "B-SAME", raised + 3600));
  events.push_back(line("alert_raise", "A-SAME", raised + 3600));
  // A second raise with the same identifier replaces the first; clears without a raise,
  // lines without identifier and lines with an unreadable stamp are ignored.
  events.push_back(line("alert_raise", "ID124", raised + 24 * 60 + 5));
  events.push_back(line("alert_clear", "NEVER", raised));
  EventLine noId = line("alert_raise", "X", raised + 7200);
  noId.alertId.reset();
  events.push_back(noId);
  EventLine badTime = line("alert_raise", "Y", raised + 7200);
  badTime.t = "yesterday";
  events.push_back(badTime);
  events.push_back(line("chime", "Z", raised + 7200));

  const auto rows = AlertHistory::rows(events, utc, {}, true);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[0].hint, "hint B-SAME");
  EXPECT_EQ(rows[1].hint, "hint A-SAME");
  EXPECT_EQ(rows[2].hint, "hint ID124");
  EXPECT_EQ(rows[2].time, "09:39");
  EXPECT_EQ(rows[19].hint, "hint ID107");
}

TEST(TodayLog, ScoreAndAlertsFromOneRead) {
  testing::TempFolder folder;
  const CheckLogStore log{folder / "logs", utc};
  EXPECT_EQ(TodayLog::read(log, {}, true, raised), (TodayLog{std::nullopt, {}}));
  log.append(testing::scoredLine(HeadVerdict::good, HandVerdict::good), raised);
  log.append(testing::scoredLine(HeadVerdict::good, HandVerdict::good), raised);
  log.append(testing::scoredLine(HeadVerdict::bad, HandVerdict::good), raised);
  log.append(testing::scoredLine(HeadVerdict::inconclusive, HandVerdict::good), raised);
  log.append(line("alert_raise", "A", raised), raised);
  log.append(line("alert_clear", "A", raised + 119), raised);
  const TodayLog today = TodayLog::read(log, {}, true, raised);
  EXPECT_EQ(today.scorePercent, 67);
  EXPECT_EQ(today.alerts, (std::vector<AlertRow>{{"09:15", "hint A", "1 min", std::nullopt}}));
  EXPECT_EQ(AlertHistory::rows(log, {}, true, raised), today.alerts);
  EXPECT_EQ(TodaySummary::scorePercent(log, raised), 67);
  EXPECT_EQ(TodaySummary::scorePercent(log, raised + 86400), std::nullopt);
}

TEST(PictureRequests, OneForEachRaisedAlert) {
  const std::vector<MonitorEvent> events = {
      event::AlertCleared{AlertModule::hand, "OLD", ClearReason::recovered},
      event::AlertRaised{AlertModule::head, "H", "Head forward · tuck your chin", false},
      event::Chime{AlertModule::head, "H"},
      event::AlertRaised{AlertModule::hand, "N", "Hand at chin · rest your jaw", true},
  };
  EXPECT_EQ(PictureRequests::make(events, raised),
            (std::vector<PictureRequest>{{"H", AlertModule::head, "Head forward · tuck your chin", raised},
                                         {"N", AlertModule::hand, "Hand at chin · rest your jaw", raised}}));
  EXPECT_TRUE(PictureRequests::make({event::Launch{}}, raised).empty());
}

}  // namespace
}  // namespace kestrel
