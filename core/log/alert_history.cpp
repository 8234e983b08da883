#include "core/log/alert_history.hpp"

#include <algorithm>
#include <map>

namespace kestrel {

std::string AlertRow::text() const {
  std::string result = time + "  " + hint + " \u00B7 " + length;
  if (tag) result += " " + *tag;
  return result;
}

namespace {

struct Entry {
  std::string id;
  Instant raisedAt = 0;
  std::string hint;
  bool hidden = false;
  std::optional<Instant> clearedAt;
};

bool isActive(const std::vector<ActiveAlert>& active, const std::string& id) {
  return std::any_of(active.begin(), active.end(), [&](const ActiveAlert& a) { return a.id == id; });
}

std::string lengthOf(const Entry& entry, bool active) {
  if (active) return "now";
  if (!entry.clearedAt) return "ended (no clear logged)";
  const double seconds = *entry.clearedAt - entry.raisedAt;
  if (seconds >= 60) return std::to_string(static_cast<std::int64_t>(seconds / 60)) + " min";
  return "< 1 min";
}

}  // namespace

std::vector<AlertRow> AlertHistory::rows(const std::vector<EventLine>& events, const LogClock& clock,
                                         const std::vector<ActiveAlert>& active, bool glowEnabled) {
  std::map<std::string, Entry> entries;
  for (const EventLine& line : events) {
    if (!line.alertId) continue;
    const auto at = LogClock::parse(line.t);
    if (!at) continue;
    if (line.event == "alert_raise") {
      entries[*line.alertId] = Entry{*line.alertId, *at, line.hint.value_or(""), line.hidden.value_or(false), {}};
    } else if (line.event == "alert_clear") {
      const auto found = entries.find(*line.alertId);
      if (found != entries.end()) found->second.clearedAt = *at;
    }
  }
  for (const ActiveAlert& alert : active) {
    if (!entries.contains(alert.id)) entries[alert.id] = Entry{alert.id, alert.raisedAt, alert.hint, false, {}};
  }

  std::vector<Entry> sorted;
  sorted.reserve(entries.size());
  for (auto& [id, entry] : entries) sorted.push_back(std::move(entry));
  std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
    if (a.raisedAt != b.raisedAt) return a.raisedAt > b.raisedAt;
    return a.id > b.id;
  });
  if (sorted.size() > static_cast<std::size_t>(limit)) sorted.resize(static_cast<std::size_t>(limit));

  std::vector<AlertRow> result;
  result.reserve(sorted.size());
  for (const Entry& entry : sorted) {
    std::optional<std::string> tag;
    if (entry.hidden && glowEnabled) tag = "(glow hidden)";
    result.push_back({clock.hoursMinutes(entry.raisedAt), entry.hint, lengthOf(entry, isActive(active, entry.id)), tag});
  }
  return result;
}

std::vector<AlertRow> AlertHistory::rows(const CheckLogStore& log, const std::vector<ActiveAlert>& active,
                                         bool glowEnabled, Instant now) {
  return rows(log.eventLines(now), log.clock, active, glowEnabled);
}

}  // namespace kestrel
