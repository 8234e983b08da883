#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/log/check_log_store.hpp"
#include "core/log/event_line.hpp"
#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"

namespace kestrel {

// One row of today's alert list.
struct AlertRow {
  std::string time;    // the raise, "HH:mm"
  std::string hint;    // as raised; may be empty
  std::string length;  // "now", "ended (no clear logged)", "< 1 min" or "12 min"
  std::optional<std::string> tag;  // "(glow hidden)"

  // "09:15  Head forward · tuck your chin · 1 min (glow hidden)"
  std::string text() const;

  bool operator==(const AlertRow&) const = default;
};

// Today's alerts, newest first, from the raise and clear lines of the day's log and the
// monitor's alerts still active.
namespace AlertHistory {

inline constexpr std::int64_t limit = 20;
inline constexpr std::string_view emptyText = "No alerts today.";

// The rows from given event lines; times in the clock's zone. An active alert reads "now"
// even when a clear was logged, and is listed even when its raise is not in the lines.
std::vector<AlertRow> rows(const std::vector<EventLine>& events, const LogClock& clock,
                           const std::vector<ActiveAlert>& active, bool glowEnabled);

// The rows from the event lines of the day of `now` in the log.
std::vector<AlertRow> rows(const CheckLogStore& log, const std::vector<ActiveAlert>& active, bool glowEnabled,
                           Instant now);

}  // namespace AlertHistory

}  // namespace kestrel
