#include "core/calibration/calibration_window.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using CalibrationPlacement::Origin;
using CalibrationPlacement::Screen;

TEST(CalibrationPlacement, CentresOnTheLaptopPanelElseThePrimaryScreenElseTheOrigin) {
  const Screen hdmi{"HDMI-1", 0, 0, 2560, 1440};
  const Screen edp{"eDP-1", 2560, 360, 1920, 1080};
  struct Case {
    const char* what;
    std::vector<Screen> screens;
    std::optional<std::size_t> primary;
    Origin origin;
  };
  const Case cases[] = {
      {"the panel, though another screen is primary", {hdmi, edp}, 0, {2560 + 960 - 260, 360 + 540 - 210}},
      {"an LVDS panel", {hdmi, {"LVDS1", 0, 1440, 1366, 768}}, 0, {683 - 260, 1440 + 384 - 210}},
      {"no panel: the primary screen", {hdmi, {"DP-2", 2560, 0, 1920, 1080}}, 1, {2560 + 960 - 260, 540 - 210}},
      {"a name with the connector inside is no panel", {{"XeDP-1", 0, 0, 800, 600}}, std::nullopt, {0, 0}},
      {"no panel and no primary", {hdmi}, std::nullopt, {0, 0}},
      {"a primary that is not there", {hdmi}, 3, {0, 0}},
      {"no screens", {}, 0, {0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CalibrationPlacement::origin(c.screens, c.primary), c.origin) << c.what;
  }
}

}  // namespace
}  // namespace kestrel
