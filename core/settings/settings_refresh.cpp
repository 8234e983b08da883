#include "core/settings/settings_refresh.hpp"

namespace kestrel {

bool SettingsRefresh::readsLoginStatus(Trigger trigger, WindowTab selectedTab) {
  return (trigger == Trigger::tabShown || trigger == Trigger::loginToggled) && selectedTab == WindowTab::settings;
}

bool SettingsRefresh::readsCalibrationLine(Trigger trigger, WindowTab selectedTab) {
  if (trigger == Trigger::calibrationEnded) return true;
  return trigger == Trigger::tabShown && selectedTab == WindowTab::settings;
}

std::string SettingsRefresh::loginStatusReadLogLine(Trigger trigger) {
  return "login status read trigger=" + std::string(toText(trigger));
}

}  // namespace kestrel
