#include "core/settings/settings_summary.hpp"

#include <array>
#include <cstdio>

namespace kestrel {

namespace {

// "d MMM yyyy" in English: 7 Mar 2026.
std::string shortDay(const CivilTime& c) {
  static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[32];
  std::snprintf(text, sizeof text, "%d %s %04d", c.day, months.at(static_cast<std::size_t>(c.month - 1)), c.year);
  return text;
}

}  // namespace

SettingsSummary SettingsSummary::from(LoginItemStatus login, std::optional<Instant> baselineDate,
                                      const Calendar& calendar) {
  SettingsSummary s;
  s.loginTitle = menuTitle(login);
  s.loginChecked = login == LoginItemStatus::enabled;
  if (baselineDate) {
    s.calibrationLine = "Calibrated " + shortDay(calendar.civil(*baselineDate));
    s.recalibrateTitle = "Recalibrate\u2026";
  } else {
    s.calibrationLine = "Not calibrated";
    s.recalibrateTitle = "Calibrate\u2026";
  }
  return s;
}

}  // namespace kestrel
