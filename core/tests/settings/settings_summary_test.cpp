#include "core/settings/settings_summary.hpp"

#include <gtest/gtest.h>

#include "core/settings/settings_refresh.hpp"

namespace kestrel {
namespace {

Calendar zone(const char* name) {
  auto c = Calendar::named(name);
  EXPECT_TRUE(c.has_value()) << name;
  return c.value_or(Calendar::utc());
}

TEST(SettingsSummary, LoginItemLine) {
  struct Case {
    LoginItemStatus status;
    const char* title;
    bool checked;
  };
  const Case cases[] = {
      {LoginItemStatus::enabled, "Start at login", true},
      {LoginItemStatus::notRegistered, "Start at login", false},
      {LoginItemStatus::requiresApproval, "Start at login (needs approval in your desktop's autostart settings)", false},
  };
  for (const auto& c : cases) {
    const auto s = SettingsSummary::from(c.status, std::nullopt, Calendar::utc());
    EXPECT_EQ(s.loginTitle, c.title) << toText(c.status);
    EXPECT_EQ(s.loginChecked, c.checked) << toText(c.status);
  }
}

TEST(SettingsSummary, CalibrationDateIsTheLocalDayOfTheGivenZone) {
  // 2026-03-06T23:30:00Z: still the 6th in New York, already the 7th in Berlin.
  const Instant lateOnThe6th = 1772839800;
  struct Case {
    const char* zone;
    Instant at;
    const char* line;
  };
  const Case cases[] = {
      {"America/New_York", lateOnThe6th, "Calibrated 6 Mar 2026"},
      {"Europe/Berlin", lateOnThe6th, "Calibrated 7 Mar 2026"},
      // Two-digit days and the year's last second.
      {"UTC", 1798761599, "Calibrated 31 Dec 2026"},
      {"UTC", 1798761600, "Calibrated 1 Jan 2027"},
  };
  for (const auto& c : cases) {
    const auto s = SettingsSummary::from(LoginItemStatus::enabled, c.at, zone(c.zone));
    EXPECT_EQ(s.calibrationLine, c.line) << c.zone << " " << c.at;
  }
}

TEST(SettingsSummary, WithoutACalibration) {
  const auto s = SettingsSummary::from(LoginItemStatus::notFound, std::nullopt, Calendar::utc());
  EXPECT_EQ(s, (SettingsSummary{"Start at login", false, "Not calibrated", "Calibrate\u2026"}));
  EXPECT_EQ(SettingsSummary::from(LoginItemStatus::enabled, 0, Calendar::utc()).recalibrateTitle, "Recalibrate\u2026");
}

TEST(SettingsRefresh, WhatEachTriggerReads) {
  using T = SettingsRefresh::Trigger;
  struct Case {
    T trigger;
    WindowTab tab;
    bool login;
    bool calibration;
  };
  const Case cases[] = {
      {T::tabShown, WindowTab::settings, true, true},
      {T::tabShown, WindowTab::today, false, false},
      {T::loginToggled, WindowTab::settings, true, false},
      {T::loginToggled, WindowTab::history, false, false},
      {T::calibrationEnded, WindowTab::settings, false, true},
      {T::calibrationEnded, WindowTab::today, false, true},
      {T::check, WindowTab::settings, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsRefresh::readsLoginStatus(c.trigger, c.tab), c.login) << toText(c.trigger) << " " << toText(c.tab);
    EXPECT_EQ(SettingsRefresh::readsCalibrationLine(c.trigger, c.tab), c.calibration)
        << toText(c.trigger) << " " << toText(c.tab);
  }
  EXPECT_EQ(SettingsRefresh::loginStatusReadLogLine(T::loginToggled), "login status read trigger=loginToggled");
}

TEST(WindowTab, Indices) {
  struct Case {
    std::int64_t index;
    WindowTab tab;
  };
  const Case cases[] = {{0, WindowTab::today},      {1, WindowTab::history}, {2, WindowTab::settings},
                        {3, WindowTab::howItWorks}, {4, WindowTab::today},   {-1, WindowTab::today}};
  for (const auto& c : cases) EXPECT_EQ(windowTab(c.index), c.tab) << c.index;
  for (WindowTab t : allCases<WindowTab>()) EXPECT_EQ(windowTab(index(t)), t);
}

}  // namespace
}  // namespace kestrel
