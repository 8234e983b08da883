#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"
#include "core/launch/camera_permission.hpp"
#include "core/launch/login_item_status.hpp"
#include "core/launch/test_copy_mark.hpp"
#include "core/monitor/status_texts.hpp"

namespace kestrel {

class Monitor;

// The tray menu's items, in menu order. Separators follow `cameraAccess`, `pauseResume` and
// `login`.
enum class MenuItemId {
  testCopy,
  status,
  score,
  openWindow,
  recalibrateBadge,
  cameraAccess,
  calibrate,
  snooze,
  hideGlow,
  pauseHour,
  pauseResume,
  login,
  version,
  update,
  quit,
};

template <>
struct EnumTexts<MenuItemId> {
  static constexpr std::array table{
      std::pair{MenuItemId::testCopy, std::string_view{"testCopy"}},
      std::pair{MenuItemId::status, std::string_view{"status"}},
      std::pair{MenuItemId::score, std::string_view{"score"}},
      std::pair{MenuItemId::openWindow, std::string_view{"openWindow"}},
      std::pair{MenuItemId::recalibrateBadge, std::string_view{"recalibrateBadge"}},
      std::pair{MenuItemId::cameraAccess, std::string_view{"cameraAccess"}},
      std::pair{MenuItemId::calibrate, std::string_view{"calibrate"}},
      std::pair{MenuItemId::snooze, std::string_view{"snooze"}},
      std::pair{MenuItemId::hideGlow, std::string_view{"hideGlow"}},
      std::pair{MenuItemId::pauseHour, std::string_view{"pauseHour"}},
      std::pair{MenuItemId::pauseResume, std::string_view{"pauseResume"}},
      std::pair{MenuItemId::login, std::string_view{"login"}},
      std::pair{MenuItemId::version, std::string_view{"version"}},
      std::pair{MenuItemId::update, std::string_view{"update"}},
      std::pair{MenuItemId::quit, std::string_view{"quit"}},
  };
};

// A separator follows this item.
bool separatorAfter(MenuItemId id);

// One item as the menu shows it.
struct MenuItemState {
  MenuItemId id = MenuItemId::status;
  std::string title;
  bool visible = true;
  bool enabled = true;
  bool checkable = false;
  bool checked = false;

  bool operator==(const MenuItemState&) const = default;
};

// Everything the menu is drawn from, read by the controller at one moment.
struct MenuFacts {
  const Monitor* monitor = nullptr;
  Instant now = 0;
  CameraPermission permission = CameraPermission::notDetermined;
  std::optional<TestCopyMark> testCopyMark;
  std::string versionLine;
  bool hasUpdateLink = false;
  // Read only when the menu opens; until then the score reads "—" and the login item is
  // titled for an unknown status.
  std::optional<std::int64_t> scorePercent;
  LoginItemStatus login = LoginItemStatus::notRegistered;
};

// The whole menu, the test-copy line first when the run carries the mark (otherwise that
// item is left out).
std::vector<MenuItemState> menuItems(const MenuFacts& facts);

// The tray icon's state and its tooltip.
MenuIconState menuIconState(const MenuFacts& facts);

}  // namespace kestrel
