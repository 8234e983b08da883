#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "camera/capture_device.hpp"
#include "core/launch/camera_permission.hpp"

namespace kestrel {

// The decisions about which V4L2 devices are cameras, what they are called and what their
// errors mean.
namespace V4l2Devices {

// The video nodes among the names in /dev ("video" and a number), by number.
std::vector<std::string> videoNodes(const std::vector<std::string>& names);

// The names of the links in /dev/v4l/by-id that lead to `node` (such as "/dev/video0"),
// in name order; `links` pairs each link's name with the node it resolves to.
std::vector<std::string> linksTo(const std::vector<std::pair<std::string, std::string>>& links,
                                 std::string_view node);
// A camera's identifier: its first link in /dev/v4l/by-id, which stays the same across
// ports and restarts; without one, its card name and bus information
// ("Integrated Camera @ usb-0000:00:14.0-8").
std::string identifier(const std::vector<std::string>& byIdLinks, std::string_view card,
                       std::string_view busInfo);
// Identifiers made unique in discovery order: a repeated one becomes "… #2", "… #3".
std::vector<std::string> unique(std::vector<std::string> identifiers);
// The identifier a udev event names in its DEVLINKS property (links separated by blanks),
// if one of them is in /dev/v4l/by-id.
std::optional<std::string> identifierFromDevlinks(std::string_view devlinks);
// Whether a udev event's ID_V4L_CAPABILITIES says the node captures video; a node
// without the property counts as one.
bool capturesVideo(std::optional<std::string_view> capabilities);

// What an errno from opening or configuring a camera means.
CaptureError::Kind errorKind(int error);
// Camera permission from the results of opening each capture node (0: opened): denied
// when a node refused for lack of permission and none opened; otherwise authorized.
CameraPermission permission(const std::vector<int>& openResults);
// What a failure of the running stream means: a vanished device is a disconnection,
// anything else a runtime error.
CaptureNoticeKind streamFailure(int error);

}  // namespace V4l2Devices

// Tells the loss of the open camera once. An unplugged camera says it twice, in either
// order: its stream fails (ENODEV) and udev removes its node. Removals of other nodes are
// always told.
class LossReport {
 public:
  // A camera node was opened; nothing about it has been told.
  void opened(std::string node);
  // Whether the loss of `node` (its stream failing or its removal) is to be told now.
  bool tell(std::string_view node);

 private:
  std::optional<std::string> open_;
  bool told_ = false;
};

}  // namespace kestrel
