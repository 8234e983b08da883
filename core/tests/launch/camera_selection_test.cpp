#include "core/launch/camera_selection.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CameraSelection, APinnedCameraOrNoneElseTheFirst) {
  struct Case {
    const char* what;
    std::vector<std::string> available;
    std::optional<std::string> pinned;
    std::optional<std::string> chosen;
  };
  const Case cases[] = {
      {"first discovered", {"usb-a", "usb-b"}, std::nullopt, "usb-a"},
      {"pinned and present", {"usb-a", "usb-b"}, "usb-b", "usb-b"},
      {"pinned but absent: no stand-in", {"usb-a", "usb-b"}, "usb-c", std::nullopt},
      {"no cameras", {}, std::nullopt, std::nullopt},
      {"no cameras, pinned", {}, "usb-a", std::nullopt},
      {"an empty pin is a pin", {"usb-a"}, "", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(CameraSelection::choose(c.available, c.pinned), c.chosen) << c.what;
}

}  // namespace
}  // namespace kestrel
