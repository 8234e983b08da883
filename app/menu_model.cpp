#include "app/menu_model.hpp"

#include "core/launch/app_info.hpp"
#include "core/monitor/active_alert.hpp"
#include "core/monitor/monitor.hpp"

namespace kestrel {

namespace {

MenuItemState item(MenuItemId id, std::string title, bool enabled = true) {
  MenuItemState state;
  state.id = id;
  state.title = std::move(title);
  state.enabled = enabled;
  return state;
}

bool offersRecalibrate(const Monitor& monitor, Instant now) {
  if (monitor.isStale()) return true;
  for (AlertModule module : {AlertModule::head, AlertModule::hand}) {
    if (monitor.offersRecalibrate(module, now)) return true;
  }
  return false;
}

}  // namespace

bool separatorAfter(MenuItemId id) {
  return id == MenuItemId::cameraAccess || id == MenuItemId::pauseResume || id == MenuItemId::login;
}

std::vector<MenuItemState> menuItems(const MenuFacts& facts) {
  const Monitor* monitor = facts.monitor;
  const bool paused = monitor && monitor->isPaused(facts.now);

  std::vector<MenuItemState> items;
  if (facts.testCopyMark) items.push_back(item(MenuItemId::testCopy, facts.testCopyMark->menuLine, false));

  items.push_back(item(MenuItemId::status,
                       monitor ? TodaySummary::statusText(*monitor, facts.permission, facts.now) : "Starting…", false));
  items.push_back(item(MenuItemId::score, "Today's score: " + TodaySummary::percentText(facts.scorePercent), false));
  items.push_back(item(MenuItemId::openWindow, "Open " + std::string(AppInfo::name) + "…"));

  MenuItemState recalibrate = item(MenuItemId::recalibrateBadge, "Recalibrate?");
  recalibrate.visible = monitor && offersRecalibrate(*monitor, facts.now);
  items.push_back(recalibrate);

  MenuItemState cameraAccess = item(MenuItemId::cameraAccess, "Allow camera access…");
  cameraAccess.visible = permissionNeeded(facts.permission);
  items.push_back(cameraAccess);

  items.push_back(item(MenuItemId::calibrate, "Calibrate…"));
  items.push_back(item(MenuItemId::snooze, "Snooze hand alerts 30 min"));
  items.push_back(item(MenuItemId::hideGlow, "Hide glow 1 hour", !monitor || monitor->glowEnabled()));

  MenuItemState pauseHour = item(MenuItemId::pauseHour, "Pause 1 hour");
  pauseHour.visible = !paused;
  items.push_back(pauseHour);
  items.push_back(item(MenuItemId::pauseResume, paused ? "Resume" : "Pause until resumed"));

  MenuItemState login = item(MenuItemId::login, menuTitle(facts.login));
  login.checkable = true;
  login.checked = facts.login == LoginItemStatus::enabled;
  items.push_back(login);

  items.push_back(item(MenuItemId::version, facts.versionLine, false));
  MenuItemState update = item(MenuItemId::update, "Check for updates…");
  update.visible = facts.hasUpdateLink;
  items.push_back(update);
  items.push_back(item(MenuItemId::quit, "Quit " + std::string(AppInfo::name)));
  return items;
}

MenuIconState menuIconState(const MenuFacts& facts) {
  if (!facts.monitor) return MenuIconState::idle;
  return menuIcon(*facts.monitor, facts.now, permissionNeeded(facts.permission)).state;
}

}  // namespace kestrel
