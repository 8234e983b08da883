#include "camera/v4l2_devices.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

namespace kestrel {
namespace {

TEST(V4l2Devices, VideoNodesInNumberOrderAndTheirIdentifiersFromLinksOrCardAndBus) {
  EXPECT_EQ(V4l2Devices::videoNodes({"video10", "vbi0", "video2", "video", "video0", "videoX", "video1a", "video-1",
                                     "media0", "video1"}),
            (std::vector<std::string>{"video0", "video1", "video2", "video10"}));
  EXPECT_TRUE(V4l2Devices::videoNodes({}).empty());

  const std::vector<std::pair<std::string, std::string>> links = {
      {"usb-Chicony_Integrated_Camera_0001-video-index1", "/dev/video1"},
      {"usb-Chicony_Integrated_Camera_0001-video-index0", "/dev/video0"},
      {"usb-Logitech_C920_ABC-video-index0", "/dev/video2"},
  };
  EXPECT_EQ(V4l2Devices::linksTo(links, "/dev/video0"),
            (std::vector<std::string>{"usb-Chicony_Integrated_Camera_0001-video-index0"}));
  EXPECT_TRUE(V4l2Devices::linksTo(links, "/dev/video4").empty());
  EXPECT_EQ(V4l2Devices::identifier({"usb-Logitech_C920_ABC-video-index0"}, "C920", "usb-0000:00:14.0-2"),
            "usb-Logitech_C920_ABC-video-index0");
  // No /dev/v4l/by-id (a platform camera, a virtual driver, a container).
  EXPECT_EQ(V4l2Devices::identifier({}, "vivid", "platform:vivid-000"), "vivid @ platform:vivid-000");
  EXPECT_EQ(V4l2Devices::unique({"vivid @ platform:vivid-000", "usb-a", "vivid @ platform:vivid-000",
                                 "vivid @ platform:vivid-000"}),
            (std::vector<std::string>{"vivid @ platform:vivid-000", "usb-a", "vivid @ platform:vivid-000 #2",
                                      "vivid @ platform:vivid-000 #3"}));
}

TEST(V4l2Devices, HotPlugEventsNameTheirCamera) {
  EXPECT_EQ(V4l2Devices::identifierFromDevlinks(
                "/dev/v4l/by-path/pci-0000:00:14.0-usb-0:8:1.0-video-index0 "
                "/dev/v4l/by-id/usb-Chicony_Integrated_Camera_0001-video-index0"),
            "usb-Chicony_Integrated_Camera_0001-video-index0");
  EXPECT_EQ(V4l2Devices::identifierFromDevlinks("/dev/v4l/by-path/platform-vivid.0-video-index0"), std::nullopt);
  EXPECT_EQ(V4l2Devices::identifierFromDevlinks(""), std::nullopt);
  EXPECT_EQ(V4l2Devices::identifierFromDevlinks("/dev/v4l/by-id/"), std::nullopt);
  EXPECT_TRUE(V4l2Devices::capturesVideo(":capture:"));
  EXPECT_TRUE(V4l2Devices::capturesVideo(":capture:video_output:"));
  EXPECT_FALSE(V4l2Devices::capturesVideo(":"));  // a metadata node
  EXPECT_TRUE(V4l2Devices::capturesVideo(std::nullopt));
}

TEST(V4l2Devices, WhatErrorsMean) {
  struct Case {
    int error;
    CaptureError::Kind kind;
    CaptureNoticeKind whileStreaming;
  };
  const Case cases[] = {
      {EACCES, CaptureError::Kind::denied, CaptureNoticeKind::runtimeError},
      {EPERM, CaptureError::Kind::denied, CaptureNoticeKind::runtimeError},
      {EBUSY, CaptureError::Kind::busy, CaptureNoticeKind::runtimeError},
      {ENOENT, CaptureError::Kind::missing, CaptureNoticeKind::runtimeError},
      {ENODEV, CaptureError::Kind::missing, CaptureNoticeKind::disconnected},
      {ENXIO, CaptureError::Kind::missing, CaptureNoticeKind::disconnected},
      {EIO, CaptureError::Kind::failed, CaptureNoticeKind::runtimeError},
      {EINVAL, CaptureError::Kind::failed, CaptureNoticeKind::runtimeError},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(V4l2Devices::errorKind(c.error), c.kind) << c.error;
    EXPECT_EQ(V4l2Devices::streamFailure(c.error), c.whileStreaming) << c.error;
  }
}

TEST(V4l2Devices, PermissionIsDeniedOnlyWhenARefusalOpenedNothing) {
  struct Case {
    std::vector<int> results;
    CameraPermission permission;
  };
  const Case cases[] = {
      {{}, CameraPermission::authorized},  // no camera is not a matter of permission
      {{0}, CameraPermission::authorized},
      {{EACCES, EPERM}, CameraPermission::denied},
      {{EACCES, 0}, CameraPermission::authorized},
      {{EBUSY}, CameraPermission::authorized},
      {{EBUSY, EACCES}, CameraPermission::denied},
  };
  for (const auto& c : cases) EXPECT_EQ(V4l2Devices::permission(c.results), c.permission) << c.results.size();
}

TEST(V4l2Devices, TheOpenCameraIsToldLostOnce) {
  // Each step: the node whose stream failed or which udev removed, and whether it is told;
  // or, without `told`, a node opened.
  struct Step {
    std::string node;
    std::optional<bool> told;
  };
  struct Case {
    const char* name;
    std::optional<std::string> opened;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      // The stream failing and udev removing the node, whichever comes first.
      {"told by both", "/dev/video0", {{"/dev/video0", true}, {"/dev/video0", false}, {"/dev/video0", false}}},
      {"other nodes are always told",
       "/dev/video0",
       {{"/dev/video2", true}, {"/dev/video2", true}, {"/dev/video0", true}, {"/dev/video2", true}}},
      {"nothing open", std::nullopt, {{"/dev/video0", true}, {"/dev/video0", true}}},
      // Opening again (the camera came back, perhaps under another node) starts afresh.
      {"opened again",
       "/dev/video0",
       {{"/dev/video0", true}, {"/dev/video1", {}}, {"/dev/video0", true}, {"/dev/video1", true},
        {"/dev/video1", false}, {"/dev/video0", {}}, {"/dev/video0", true}}},
  };
  for (const auto& c : cases) {
    LossReport losses;
    if (c.opened) losses.opened(*c.opened);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      if (!step.told) {
        losses.opened(step.node);
      } else {
        EXPECT_EQ(losses.tell(step.node), *step.told) << c.name << ", step " << i;
      }
    }
  }
}

}  // namespace
}  // namespace kestrel
