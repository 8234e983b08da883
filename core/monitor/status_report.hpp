#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/instant.hpp"
#include "core/log/check_log_store.hpp"

namespace kestrel {

// What `kestrel status` prints: the tray's status line, today's score and the last check,
// as lines for a person or one JSON object for a status bar.
struct StatusReport {
  bool running = false;
  std::string status;    // the menu's status line
  std::string menuIcon;  // the icon's state in its text form
  std::optional<std::int64_t> scorePercent;
  bool paused = false;
  std::string lastCheck;    // what the last check found, in the menu's words
  std::string lastCheckAt;  // its stamp in the log's form; empty before the first check
  std::int64_t alertsToday = 0;

  static constexpr std::string_view notRunningStatus = "Kestrel is not running";

  // With no Kestrel running: today's score and alerts from the day's log.
  static StatusReport fromLog(const CheckLogStore& log, Instant now);

  // Three lines: the status, "Today's score: 72 %" and the last check.
  std::string lines() const;
  // One line of JSON; the score is null without one.
  std::string json() const;

  bool operator==(const StatusReport&) const = default;
};

}  // namespace kestrel
