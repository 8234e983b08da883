#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/calibration/calibration.hpp"

template <>
struct kestrel::EnumTexts<kestrel::Calibration::Step> {
  static constexpr std::array table{
      std::pair{kestrel::Calibration::Step::sitWell, std::string_view{"sitWell"}},
      std::pair{kestrel::Calibration::Step::leanIn, std::string_view{"leanIn"}},
  };
};

// What the calibration window says and where it opens: the texts of its steps, its countdown
// and its buttons, and its place among the screens.
namespace kestrel::CalibrationWindowText {

inline constexpr std::string_view title = "Calibrate Kestrel";
inline constexpr std::string_view start = "Start";
inline constexpr std::string_view tryAgain = "Try again";
inline constexpr std::string_view cancel = "Cancel";
inline constexpr std::string_view saveAnyway = "Save anyway";
inline constexpr std::string_view holdStill = "Hold still…";
inline constexpr std::string_view waitingForCamera = "Waiting for the camera…";
inline constexpr std::string_view noCamera = "No camera found";

// The instruction that opens a step.
std::string_view prompt(Calibration::Step step);
// A countdown's number followed by an ellipsis: "3…".
std::string countdown(std::int64_t n);

}  // namespace kestrel::CalibrationWindowText

namespace kestrel::CalibrationPlacement {

inline constexpr int width = 520;
inline constexpr int height = 420;

// A screen as the desktop names and places it, in the desktop's coordinates (origin top left).
struct Screen {
  std::string name;  // the connector: "eDP-1", "HDMI-1", …
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct Origin {
  int x = 0;
  int y = 0;

  bool operator==(const Origin&) const = default;
};

// The laptop's own panel: the first screen on an embedded connector (eDP, LVDS or DSI).
std::optional<std::size_t> builtIn(const std::vector<Screen>& screens);
// Where the window's top-left corner goes: centred on the built-in panel, else on the primary
// screen, else at the origin.
Origin origin(const std::vector<Screen>& screens, std::optional<std::size_t> primary);

}  // namespace kestrel::CalibrationPlacement
