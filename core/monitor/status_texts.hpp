#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/launch/camera_permission.hpp"
#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"
#include "core/judgement/verdict.hpp"

// What the user reads about the monitor in the tray, the menu and the Today tab.

namespace kestrel {

class Monitor;
struct CheckLogStore;

// The tray icon: the last definite reading, or why there is none.
enum class MenuIconState { good, bad, idle, cameraProblem };

template <>
struct EnumTexts<MenuIconState> {
  static constexpr std::array table{std::pair{MenuIconState::good, std::string_view{"good"}},
                                    std::pair{MenuIconState::bad, std::string_view{"bad"}},
                                    std::pair{MenuIconState::idle, std::string_view{"idle"}},
                                    std::pair{MenuIconState::cameraProblem, std::string_view{"cameraProblem"}}};
};

enum class MenuIconTint { green, red, grey };

MenuIconTint tint(MenuIconState state);
// The symbol's name in the icon set ("checkmark.circle.fill", "xmark.circle.fill",
// "minus.circle", "exclamationmark.triangle"); the tray maps it to a themed icon.
std::string_view symbol(MenuIconState state);
// The tray item's accessible title, such as "Kestrel: last check good".
std::string_view label(MenuIconState state);

struct MenuIcon {
  MenuIconState state = MenuIconState::idle;
  bool operator==(const MenuIcon&) const = default;
};

// The user's wording of a skip reason, such as "too dark".
std::string_view plainWords(SkipReason reason);

// Denied or restricted; an undecided permission is not yet needed.
bool permissionNeeded(CameraPermission permission);

// The tray icon: the last definite reading, or why there is none.
MenuIcon menuIcon(const Monitor& monitor, Instant at, bool cameraPermissionNeeded);
// The menu's one-line status: paused, a camera or calibration problem, away, degraded,
// stale, the first visible alert's hint, or "Watching".
std::string monitorStatus(const Monitor& monitor, Instant at);
// What the last check found, such as "Last check: head forward · no alert yet".
std::string lastCheckText(const Monitor& monitor);

// Everything the Today tab shows about the monitor, in one value.
struct TodaySummary {
  static constexpr std::int64_t targetPercent = 80;
  static constexpr std::string_view targetText = "Target 80 %";

  std::string status;
  MenuIcon icon;
  std::string age;
  std::string scoreText;  // "72 %", or "—" without a score
  std::string lastCheck;

  TodaySummary(const Monitor& monitor, CameraPermission permission, std::optional<std::int64_t> scorePercent,
               Instant now);

  // "Camera access needed" while permission is needed, otherwise the monitor's status.
  static std::string statusText(const Monitor& monitor, CameraPermission permission, Instant now);
  // "72 %", or "—" without a score.
  static std::string percentText(std::optional<std::int64_t> scorePercent);
  // "checked 12 s ago", "checked 3 min ago", "checked 2 h ago", or "no check yet".
  static std::string ageText(std::optional<Instant> since, Instant now);
  // Today's score from the day's log of `now`; absent when no check of the day counts.
  static std::optional<std::int64_t> scorePercent(const CheckLogStore& log, Instant now);

  bool operator==(const TodaySummary&) const = default;
};

}  // namespace kestrel
