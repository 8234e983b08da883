#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/monitor/active_alert.hpp"
#include "core/base/instant.hpp"
#include "core/base/json_io.hpp"
#include "core/log/log_schema.hpp"
#include "core/monitor/monitor_io.hpp"

namespace kestrel {

// One monitor event as a line of the daily log.
struct EventLine {
  std::string type = "event";
  std::int64_t schema = LogSchema::version;
  std::string t;      // the event's moment as a LogClock stamp
  std::string event;  // the event's name, such as "alert_raise" or "display_sleep"
  std::optional<AlertModule> module;
  std::optional<std::string> alertId;
  std::optional<std::string> hint;    // the advice of a raised alert
  std::optional<bool> hidden;         // the raised alert's glow was hidden at the raise
  std::optional<std::string> reason;  // a reason word, such as "no_evidence" or "wrong"
  std::optional<std::string> until;   // end of a pause, snooze or hidden glow, as a stamp

  EventLine() = default;
  // The line of a monitor event at the moment stamped `time`; `format` writes the "until"
  // moments (the log's clock stamp).
  EventLine(const MonitorEvent& event, std::string time, const std::function<std::string(Instant)>& format);

  bool operator==(const EventLine&) const = default;
};

// The name an event is logged under: "alert_raise", "feedback", "calibration_end", ...
std::string_view eventName(const MonitorEvent& event);

// The text of the line without its line feed: compact, keys ascending, absent values left out.
// Throws EncodeError for a text that is not UTF-8.
std::string lineText(const EventLine& line);

void to_json(Json& j, const EventLine& v);
// Requires "type" "event", "schema", "t" and "event"; other keys are optional or ignored.
void from_json(const Json& j, EventLine& v);

}  // namespace kestrel
