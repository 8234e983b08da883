#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/log/alert_history.hpp"
#include "core/log/check_log_store.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// Today's score and alert list as the window shows them, from one read of the day's log.
struct TodayLog {
  std::optional<std::int64_t> scorePercent;
  std::vector<AlertRow> alerts;

  static TodayLog read(const CheckLogStore& log, const std::vector<ActiveAlert>& active, bool glowEnabled,
                       Instant now);

  bool operator==(const TodayLog&) const = default;
};

}  // namespace kestrel
