#pragma once

#include <optional>
#include <string>

#include "core/base/calendar.hpp"
#include "core/base/instant.hpp"
#include "core/launch/login_item_status.hpp"

namespace kestrel {

// What the Settings tab shows of system state: the login item and the calibration.
struct SettingsSummary {
  std::string loginTitle;
  bool loginChecked = false;
  std::string calibrationLine;
  std::string recalibrateTitle;

  // `baselineDate` is when the saved calibration was made, printed as a day of `calendar`
  // ("Calibrated 7 Mar 2026"); none means the user has not calibrated.
  static SettingsSummary from(LoginItemStatus login, std::optional<Instant> baselineDate, const Calendar& calendar);

  bool operator==(const SettingsSummary&) const = default;
};

}  // namespace kestrel
