#include "core/base/calendar.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

Calendar zone(const char* name) {
  auto c = Calendar::named(name);
  EXPECT_TRUE(c.has_value()) << name;
  return c.value_or(Calendar::utc());
}

// 2026-03-29 01:00:00Z: Berlin springs forward from 02:00 CET to 03:00 CEST.
constexpr Instant berlinSpring = 1774746000;
// 2026-10-25 01:00:00Z: Berlin falls back from 03:00 CEST to 02:00 CET.
constexpr Instant berlinAutumn = 1792890000;

TEST(Calendar, UnknownZoneIsAbsent) {
  EXPECT_FALSE(Calendar::named("Mars/Olympus_Mons").has_value());
  EXPECT_FALSE(Calendar::named("").has_value());
}

TEST(Calendar, CivilTimeAcrossDaylightSavingAndHalfHourZones) {
  struct Case {
    const char* zone;
    Instant at;
    CivilTime expected;
  };
  const Case cases[] = {
      {"UTC", 0, {1970, 1, 1, 0, 0, 0, 4, 0, 0}},
      {"Europe/Berlin", berlinSpring - 1, {2026, 3, 29, 1, 59, 59, 0, 3600, 0}},
      {"Europe/Berlin", berlinSpring, {2026, 3, 29, 3, 0, 0, 0, 7200, 0}},
      {"Europe/Berlin", berlinAutumn - 1, {2026, 10, 25, 2, 59, 59, 0, 7200, 0}},
      {"Europe/Berlin", berlinAutumn, {2026, 10, 25, 2, 0, 0, 0, 3600, 0}},
      // 2026-01-05T18:29:59.5Z is 23:59:59.5 in India (+05:30).
      {"Asia/Kolkata", 1767637799.5, {2026, 1, 5, 23, 59, 59, 1, 19800, 0.5}},
      {"Asia/Kolkata", 1767637800, {2026, 1, 6, 0, 0, 0, 2, 19800, 0}},
      // Kathmandu is at +05:45.
      {"Asia/Kathmandu", 1767637800, {2026, 1, 6, 0, 15, 0, 2, 20700, 0}},
      // Before the epoch.
      {"UTC", -1.25, {1969, 12, 31, 23, 59, 58, 3, 0, 0.75}},
  };
  for (const auto& c : cases) EXPECT_EQ(zone(c.zone).civil(c.at), c.expected) << c.zone << " " << c.at;
}

TEST(Calendar, DaysAroundDaylightSavingChanges) {
  const Calendar berlin = zone("Europe/Berlin");
  // The spring day has 23 hours, the autumn day 25.
  const Instant springStart = berlin.startOfDay(berlinSpring + 3600);
  EXPECT_EQ(springStart, 1774738800);  // 2026-03-28T23:00:00Z
  EXPECT_EQ(berlin.startOfNextDay(berlinSpring) - springStart, 23 * 3600);
  const Instant autumnStart = berlin.startOfDay(berlinAutumn);
  EXPECT_EQ(berlin.startOfNextDay(berlinAutumn) - autumnStart, 25 * 3600);
  EXPECT_EQ(berlin.startOfDay(autumnStart), autumnStart);
  EXPECT_EQ(berlin.startOfDay(autumnStart - 0.5), berlin.startOfDay(autumnStart - 86400));
}

TEST(Calendar, DayThatSkipsMidnightStartsWhenTheClockLands) {
  // Havana springs forward at midnight: 2026-03-08 00:00 does not exist, the day starts at 01:00 CDT.
  const Calendar havana = zone("America/Havana");
  const Instant start = havana.startOfDay(havana.instant(2026, 3, 8, 12));
  EXPECT_EQ(havana.civil(start).hour, 1);
  EXPECT_EQ(havana.dayKey(start), "2026-03-08");
  EXPECT_EQ(havana.dayKey(start - 1), "2026-03-07");
}

TEST(Calendar, InstantOfWallClockTime) {
  const Calendar berlin = zone("Europe/Berlin");
  EXPECT_EQ(berlin.instant(2026, 1, 5, 9, 0, 0), 1767600000);  // 08:00Z
  EXPECT_EQ(berlin.instant(2026, 1, 5, 9, 0, 1.5), 1767600001.5);
  // 02:30 does not exist on the spring day: the clock shows 03:30 then.
  EXPECT_EQ(berlin.civil(berlin.instant(2026, 3, 29, 2, 30)).hour, 3);
  // 02:30 happens twice on the autumn day: the earlier one, still in summer time.
  EXPECT_EQ(berlin.civil(berlin.instant(2026, 10, 25, 2, 30)).utcOffsetSeconds, 7200);
}

}  // namespace
}  // namespace kestrel
