#include "core/log/log_clock.hpp"

#include <date/date.h>

#include <cstdio>
#include <cstdlib>

namespace kestrel {

std::string LogClock::stamp(Instant at) const {
  const CivilTime c = timeZone.civil(at);
  char text[40];
  const int written = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day,
                                    c.hour, c.minute, c.second);
  std::string result(text, static_cast<std::size_t>(written));
  if (c.utcOffsetSeconds == 0) return result + "Z";
  const long magnitude = std::labs(c.utcOffsetSeconds);
  std::snprintf(text, sizeof text, "%c%02ld:%02ld", c.utcOffsetSeconds < 0 ? '-' : '+', magnitude / 3600,
                magnitude % 3600 / 60);
  return result + text;
}

std::string LogClock::dayName(Instant at) const { return timeZone.dayKey(at); }

std::string LogClock::hoursMinutes(Instant at) const {
  const CivilTime c = timeZone.civil(at);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", c.hour, c.minute);
  return text;
}

std::string LogClock::compactTime(Instant at) const {
  const CivilTime c = timeZone.civil(at);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d", c.hour, c.minute, c.second);
  return text;
}

namespace {

// The decimal number of `digits` ASCII digits at `at`; absent when any is not a digit.
std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t digits) {
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    const char ch = text[i];
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  return value;
}

}  // namespace

std::optional<Instant> LogClock::parse(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS then Z (20 characters) or ±HH:MM (25 characters).
  if (text.size() != 20 && text.size() != 25) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const auto year = digitsAt(text, 0, 4);
  const auto month = digitsAt(text, 5, 2);
  const auto day = digitsAt(text, 8, 2);
  const auto hour = digitsAt(text, 11, 2);
  const auto minute = digitsAt(text, 14, 2);
  const auto second = digitsAt(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const date::year_month_day ymd{date::year{*year}, date::month{static_cast<unsigned>(*month)},
                                 date::day{static_cast<unsigned>(*day)}};
  if (!ymd.ok()) return std::nullopt;

  long offset = 0;
  if (text.size() == 20) {
    if (text[19] != 'Z') return std::nullopt;
  } else {
    const char sign = text[19];
    if ((sign != '+' && sign != '-') || text[22] != ':') return std::nullopt;
    const auto offsetHours = digitsAt(text, 20, 2);
    const auto offsetMinutes = digitsAt(text, 23, 2);
    if (!offsetHours || !offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59) return std::nullopt;
    offset = (*offsetHours * 3600L + *offsetMinutes * 60L) * (sign == '-' ? -1 : 1);
  }
  const auto days = date::sys_days{ymd}.time_since_epoch().count();
  const long long local = static_cast<long long>(days) * 86400 + *hour * 3600LL + *minute * 60LL + *second;
  return static_cast<Instant>(local - offset);
}

}  // namespace kestrel
