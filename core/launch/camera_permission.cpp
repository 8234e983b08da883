#include "core/launch/camera_permission.hpp"

namespace kestrel {

CameraPermissionAction action(CameraPermission permission) {
  switch (permission) {
    case CameraPermission::notDetermined:
      return CameraPermissionAction::request;
    case CameraPermission::denied:
    case CameraPermission::restricted:
      return CameraPermissionAction::showNeeded;
    case CameraPermission::authorized:
      return CameraPermissionAction::run;
  }
  return CameraPermissionAction::showNeeded;
}

}  // namespace kestrel
