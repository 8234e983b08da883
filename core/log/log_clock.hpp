#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/base/calendar.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// Writes moments and names days in one time zone: the stamps of log lines, the names of
// the day files and picture folders, and the times of day shown beside alerts.
struct LogClock {
  Calendar timeZone = Calendar::utc();

  // "2026-03-09T14:05:33+01:00": local date and time in whole seconds (the fraction is
  // dropped) and the zone offset, or "Z" when the offset is zero.
  std::string stamp(Instant at) const;
  // "2026-03-09": the local day containing the moment.
  std::string dayName(Instant at) const;
  // "14:05": local hours and minutes, 24-hour.
  std::string hoursMinutes(Instant at) const;
  // "140533": local hours, minutes and seconds without separators.
  std::string compactTime(Instant at) const;

  // The moment of an internet date-time text "YYYY-MM-DDTHH:MM:SS" followed by "Z" or an
  // offset "+HH:MM"/"-HH:MM" (the form stamp writes, in any zone); absent for any other text.
  static std::optional<Instant> parse(std::string_view text);

  bool operator==(const LogClock&) const = default;
};

}  // namespace kestrel
