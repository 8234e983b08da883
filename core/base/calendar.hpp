#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/base/instant.hpp"

namespace date {
class time_zone;
}

namespace kestrel {

// A date and time of day on the wall clock of some time zone.
struct CivilTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 4;               // 0 = Sunday … 6 = Saturday
  long utcOffsetSeconds = 0;     // local minus UTC, daylight saving included
  double fractionOfSecond = 0;   // 0 ≤ f < 1

  bool operator==(const CivilTime&) const = default;
};

// A time zone and its Gregorian calendar, from the system's time-zone database.
// Logic that needs days or times of day is handed one of these; it never asks the
// system which zone is current.
class Calendar {
 public:
  // The zone of that IANA name ("Europe/Berlin"); absent when the database has no such zone.
  static std::optional<Calendar> named(std::string_view ianaName);
  static Calendar utc();

  const std::string& name() const { return name_; }

  CivilTime civil(Instant at) const;
  // "YYYY-MM-DD" of the local day that contains the instant.
  std::string dayKey(Instant at) const;
  // The first instant of the local day that contains `at` (not always midnight on days
  // that skip it).
  Instant startOfDay(Instant at) const;
  // The first instant of the local day after the one containing `at`.
  Instant startOfNextDay(Instant at) const;
  // The instant of a local wall-clock time; for a time skipped by a daylight-saving change the
  // instant the clock shows it after the change, for a repeated time the earlier instant.
  Instant instant(int year, int month, int day, int hour = 0, int minute = 0, double second = 0) const;

  bool operator==(const Calendar& other) const { return zone_ == other.zone_; }

 private:
  explicit Calendar(const date::time_zone* zone);
  const date::time_zone* zone_;
  std::string name_;
};

}  // namespace kestrel
