#include "core/pictures/picture_naming.hpp"

#include <date/date.h>

namespace kestrel {

std::string PictureNaming::stem(Instant raisedAt, std::string_view alertId, const LogClock& clock) {
  return clock.compactTime(raisedAt) + "-" + std::string(alertId);
}

bool PictureNaming::isDayName(std::string_view name) {
  if (name.size() != 10 || name[4] != '-' || name[7] != '-') return false;
  int fields[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 5, 8};
  const std::size_t lengths[3] = {4, 2, 2};
  for (int f = 0; f < 3; ++f) {
    for (std::size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
      if (name[i] < '0' || name[i] > '9') return false;
      fields[f] = fields[f] * 10 + (name[i] - '0');
    }
  }
  // The Gregorian calendar has no year 0.
  if (fields[0] == 0) return false;
  const date::year_month_day day{date::year{fields[0]}, date::month{static_cast<unsigned>(fields[1])},
                                 date::day{static_cast<unsigned>(fields[2])}};
  return day.ok();
}

bool PictureNaming::isSafeAlertId(std::string_view alertId) {
  if (alertId.empty()) return false;
  for (const char ch : alertId) {
    const bool safe = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
                      ch == '_';
    if (!safe) return false;
  }
  return true;
}

}  // namespace kestrel
