#pragma once

#include <string>

#include "core/base/enum_text.hpp"
#include "core/settings/window_tab.hpp"

namespace kestrel {

// When the Settings tab reads system state again: the login status costs a look at the
// autostart folder and the calibration line a read of the baselines, so neither is read on
// every check, event or tick.
struct SettingsRefresh {
  enum class Trigger { tabShown, loginToggled, calibrationEnded, check, event, tick };

  // The tab was shown or the login item toggled, while the Settings tab is selected.
  static bool readsLoginStatus(Trigger trigger, WindowTab selectedTab);
  // A calibration ended (whatever the tab), or the Settings tab was shown.
  static bool readsCalibrationLine(Trigger trigger, WindowTab selectedTab);

  // "login status read trigger=<case name>".
  static std::string loginStatusReadLogLine(Trigger trigger);
};

template <>
struct EnumTexts<SettingsRefresh::Trigger> {
  using T = SettingsRefresh::Trigger;
  static constexpr std::array table{std::pair{T::tabShown, std::string_view{"tabShown"}},
                                    std::pair{T::loginToggled, std::string_view{"loginToggled"}},
                                    std::pair{T::calibrationEnded, std::string_view{"calibrationEnded"}},
                                    std::pair{T::check, std::string_view{"check"}},
                                    std::pair{T::event, std::string_view{"event"}},
                                    std::pair{T::tick, std::string_view{"tick"}}};
};

}  // namespace kestrel
