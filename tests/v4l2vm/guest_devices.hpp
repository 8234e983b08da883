#pragma once

#include <string>

// The devices the guest's /init sets up, as the camera code sees them.
namespace kestrel::vm {

// vivid with one capture node and one webcam input. The node is reached through its udev
// link: its number changes when the device comes back while the old node is still open.
inline const std::string vividNode = "/dev/v4l/by-path/platform-vivid.0-video-index0";
inline const std::string vividId = "vivid @ platform:vivid-000";
inline const std::string vividPlatformDevice = "vivid.0";
inline const std::string vividUnbind = "/sys/bus/platform/drivers/vivid/unbind";
inline const std::string vividBind = "/sys/bus/platform/drivers/vivid/bind";

// v4l2loopback with video_nr=10, card_label=Loopback and exclusive_caps=1: the node
// captures only while a producer writes to it.
inline const std::string loopbackNode = "/dev/video10";
inline const std::string loopbackId = "Loopback @ platform:v4l2loopback-000";

}  // namespace kestrel::vm
