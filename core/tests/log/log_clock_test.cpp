#include "core/log/log_clock.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

LogClock clockIn(const char* zone) {
  auto calendar = Calendar::named(zone);
  EXPECT_TRUE(calendar.has_value()) << zone;
  return LogClock{calendar.value_or(Calendar::utc())};
}

constexpr Instant march9 = 1773061533;     // 2026-03-09T13:05:33Z
constexpr Instant july1 = 1782907200;      // 2026-07-01T12:00:00Z
constexpr Instant utcMidnight = 1773014400;  // 2026-03-09T00:00:00Z

TEST(LogClock, StampInEveryKindOfZone) {
  struct Case {
    const char* zone;
    Instant at;
    const char* stamp;
  };
  const Case cases[] = {
      {"UTC", march9, "2026-03-09T13:05:33Z"},
      {"Europe/Berlin", march9, "2026-03-09T14:05:33+01:00"},
      // London is at offset zero in winter: "Z" as well, not "+00:00".
      {"Europe/London", march9, "2026-03-09T13:05:33Z"},
      {"Europe/London", july1, "2026-07-01T13:00:00+01:00"},
      // New York changed to daylight time on 2026-03-08.
      {"America/New_York", march9, "2026-03-09T09:05:33-04:00"},
      {"Asia/Kolkata", march9, "2026-03-09T18:35:33+05:30"},
      {"America/St_Johns", march9, "2026-03-09T10:35:33-02:30"},
      // The fraction of a second is dropped, never rounded.
      {"UTC", march9 + 0.999, "2026-03-09T13:05:33Z"},
      {"UTC", utcMidnight - 0.001, "2026-03-08T23:59:59Z"},
  };
  for (const auto& c : cases) EXPECT_EQ(clockIn(c.zone).stamp(c.at), c.stamp) << c.zone << " " << c.at;
}

TEST(LogClock, DayNamesChangeAtLocalMidnight) {
  const LogClock utc{Calendar::utc()};
  EXPECT_EQ(utc.dayName(utcMidnight - 1), "2026-03-08");
  EXPECT_EQ(utc.dayName(utcMidnight), "2026-03-09");
  // The same moment is still the 8th in New York and already 05:30 on the 9th in India.
  EXPECT_EQ(clockIn("America/New_York").dayName(utcMidnight), "2026-03-08");
  EXPECT_EQ(clockIn("Asia/Kolkata").dayName(utcMidnight - 19800), "2026-03-09");
  EXPECT_EQ(clockIn("Asia/Kolkata").dayName(utcMidnight - 19801), "2026-03-08");
  // Zero padding of month and day.
  EXPECT_EQ(utc.dayName(0), "1970-01-01");
}

TEST(LogClock, TimesOfDay) {
  const LogClock berlin = clockIn("Europe/Berlin");
  EXPECT_EQ(berlin.hoursMinutes(march9), "14:05");
  EXPECT_EQ(berlin.compactTime(march9), "140533");
  EXPECT_EQ(berlin.hoursMinutes(utcMidnight - 3600), "00:00");
  EXPECT_EQ(berlin.compactTime(utcMidnight - 3601), "235959");
}

TEST(LogClock, ParseReadsBackEveryStamp) {
  for (const char* zone : {"UTC", "Europe/Berlin", "America/St_Johns", "Asia/Kathmandu", "Pacific/Chatham"}) {
    const LogClock clock = clockIn(zone);
    for (Instant at : {march9, july1, utcMidnight - 1, march9 + 0.75}) {
      EXPECT_EQ(LogClock::parse(clock.stamp(at)), static_cast<Instant>(static_cast<long long>(at))) << zone;
    }
  }
  EXPECT_EQ(LogClock::parse("2026-03-09T14:05:33+01:00"), march9);
  EXPECT_EQ(LogClock::parse("2026-03-09T13:05:33+00:00"), march9);
  EXPECT_EQ(LogClock::parse("2026-03-09T09:35:33-03:30"), march9);
  EXPECT_EQ(LogClock::parse("2024-02-29T00:00:00Z"), 1709164800);
}

TEST(LogClock, ParseRejectsOtherTexts) {
  for (const char* text : {"", "2026-03-09", "2026-03-09T13:05:33", "2026-03-09T13:05:33z", "2026-03-09t13:05:33Z",
                           "2026-03-09 13:05:33Z", "2026-03-09T13:05:33.5Z", "2026-03-09T13:05:33+0100",
                           "2026-03-09T13:05:33+01", "2026-03-09T13:05:33Z ", " 2026-03-09T13:05:33Z",
                           "2026-02-30T13:05:33Z", "2025-02-29T00:00:00Z", "2026-13-09T13:05:33Z",
                           "2026-03-09T24:00:00Z", "2026-03-09T23:60:00Z", "2026-03-09T23:59:60Z",
                           "2026-03-09T13:05:33+24:00", "2026-03-09T13:05:33+01:60", "2026-03-09T13:05:33+01:x0",
                           "2026-3-09T13:05:33Z", "2026-03-09T13:05:3aZ", "+026-03-09T13:05:33Z",
                           "2026-03-09T13:05:33*01:00"}) {
    EXPECT_FALSE(LogClock::parse(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace kestrel
