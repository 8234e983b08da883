#include "core/calibration/calibration_window.hpp"

#include <array>

namespace kestrel::CalibrationWindowText {

std::string_view prompt(Calibration::Step step) {
  switch (step) {
    case Calibration::Step::sitWell:
      return "Look at your laptop screen and sit well. Then click Start or press Space.";
    case Calibration::Step::leanIn:
      return "Now lean your whole upper body as far toward the laptop screen as you comfortably can. Then click "
             "Start or press Space.";
  }
  return {};
}

std::string countdown(std::int64_t n) { return std::to_string(n) + "…"; }

}  // namespace kestrel::CalibrationWindowText

namespace kestrel::CalibrationPlacement {

std::optional<std::size_t> builtIn(const std::vector<Screen>& screens) {
  constexpr std::array<std::string_view, 3> embedded{"eDP", "LVDS", "DSI"};
  for (std::size_t i = 0; i < screens.size(); ++i) {
    for (std::string_view connector : embedded) {
      if (screens[i].name.starts_with(connector)) return i;
    }
  }
  return std::nullopt;
}

Origin origin(const std::vector<Screen>& screens, std::optional<std::size_t> primary) {
  std::optional<std::size_t> chosen = builtIn(screens);
  if (!chosen && primary && *primary < screens.size()) chosen = primary;
  if (!chosen) return {};
  const Screen& s = screens[*chosen];
  return {s.x + s.width / 2 - width / 2, s.y + s.height / 2 - height / 2};
}

}  // namespace kestrel::CalibrationPlacement
