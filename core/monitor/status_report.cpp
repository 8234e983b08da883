#include "core/monitor/status_report.hpp"

#include <algorithm>

#include "core/base/json_text.hpp"
#include "core/log/score.hpp"
#include "core/monitor/status_texts.hpp"

namespace kestrel {

StatusReport StatusReport::fromLog(const CheckLogStore& log, Instant now) {
  const DayLines day = log.dayLines(now);
  StatusReport report;
  report.status = notRunningStatus;
  report.menuIcon = toText(MenuIconState::idle);
  report.scorePercent = Score::percent(day.checks);
  report.alertsToday = std::count_if(day.events.begin(), day.events.end(),
                                     [](const EventLine& line) { return line.event == "alert_raise"; });
  return report;
}

std::string StatusReport::lines() const {
  // A pause forgets the last check: no line then, rather than a "No check yet" that is untrue.
  const std::string last = !lastCheck.empty() ? lastCheck + "\n" : paused ? "" : "No check yet\n";
  return status + "\nToday's score: " + TodaySummary::percentText(scorePercent) + "\n" + last;
}

std::string StatusReport::json() const {
  Json j = Json::object();
  j["running"] = running;
  j["status"] = status;
  j["menuIcon"] = menuIcon;
  j["scorePercent"] = scorePercent ? Json(*scorePercent) : Json(nullptr);
  j["paused"] = paused;
  j["lastCheck"] = lastCheck;
  j["lastCheckAt"] = lastCheckAt;
  j["alertsToday"] = alertsToday;
  return compactJSON(j);
}

}  // namespace kestrel
