#include "core/base/calendar.hpp"

#include <date/tz.h>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace kestrel {

namespace {

using std::chrono::duration;
using SysSeconds = date::sys_time<std::chrono::seconds>;

SysSeconds wholeSeconds(Instant at) {
  return SysSeconds{std::chrono::seconds{static_cast<long long>(std::floor(at))}};
}

Instant toInstant(SysSeconds t) { return static_cast<Instant>(t.time_since_epoch().count()); }

date::local_seconds localMidnight(const date::time_zone* zone, Instant at) {
  const auto local = zone->to_local(wholeSeconds(at));
  return date::floor<date::days>(local);
}

// The first instant whose local time is at or after `local`.
Instant firstInstantAtOrAfter(const date::time_zone* zone, date::local_seconds local) {
  const auto info = zone->get_info(local);
  switch (info.result) {
    case date::local_info::unique:
    case date::local_info::ambiguous:
      return toInstant(SysSeconds{local.time_since_epoch() - info.first.offset});
    case date::local_info::nonexistent:
      // The clock jumped over this local time: the day starts when the jump lands.
      return toInstant(info.second.begin);
  }
  return 0;
}

}  // namespace

Calendar::Calendar(const date::time_zone* zone) : zone_(zone), name_(zone->name()) {}

std::optional<Calendar> Calendar::named(std::string_view ianaName) {
  try {
    return Calendar(date::locate_zone(ianaName));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

Calendar Calendar::utc() { return Calendar(date::locate_zone("UTC")); }

CivilTime Calendar::civil(Instant at) const {
  const SysSeconds whole = wholeSeconds(at);
  const auto info = zone_->get_info(whole);
  const auto local = date::local_seconds{whole.time_since_epoch() + info.offset};
  const auto day = date::floor<date::days>(local);
  const date::year_month_day ymd{day};
  const date::hh_mm_ss<std::chrono::seconds> tod{local - day};
  CivilTime c;
  c.year = static_cast<int>(ymd.year());
  c.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  c.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  c.hour = static_cast<int>(tod.hours().count());
  c.minute = static_cast<int>(tod.minutes().count());
  c.second = static_cast<int>(tod.seconds().count());
  c.weekday = static_cast<int>(date::weekday{day}.c_encoding());
  c.utcOffsetSeconds = static_cast<long>(info.offset.count());
  c.fractionOfSecond = at - std::floor(at);
  return c;
}

std::string Calendar::dayKey(Instant at) const {
  const CivilTime c = civil(at);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
  return text;
}

Instant Calendar::startOfDay(Instant at) const { return firstInstantAtOrAfter(zone_, localMidnight(zone_, at)); }

Instant Calendar::startOfNextDay(Instant at) const {
  return firstInstantAtOrAfter(zone_, localMidnight(zone_, at) + date::days{1});
}

Instant Calendar::instant(int year, int month, int day, int hour, int minute, double second) const {
  const double whole = std::floor(second);
  const auto local = date::local_days{date::year{year} / month / day} + std::chrono::hours{hour} +
                     std::chrono::minutes{minute} + std::chrono::seconds{static_cast<long long>(whole)};
  const auto info = zone_->get_info(local);
  // With the offset in force before the local time: a repeated time maps to its earlier
  // instant, and a skipped one lands after the jump, pushed on by the size of the jump.
  return toInstant(SysSeconds{local.time_since_epoch() - info.first.offset}) + (second - whole);
}

}  // namespace kestrel
