#include "core/launch/camera_permission.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CameraPermission, OnlyAnUndecidedPermissionIsAskedFor) {
  EXPECT_EQ(action(CameraPermission::notDetermined), CameraPermissionAction::request);
  EXPECT_EQ(action(CameraPermission::denied), CameraPermissionAction::showNeeded);
  EXPECT_EQ(action(CameraPermission::restricted), CameraPermissionAction::showNeeded);
  EXPECT_EQ(action(CameraPermission::authorized), CameraPermissionAction::run);
}

}  // namespace
}  // namespace kestrel
