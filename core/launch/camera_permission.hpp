#pragma once

#include <string_view>

#include "core/base/enum_text.hpp"

namespace kestrel {

// Whether the camera may be used. A plain Linux desktop never asks: a capture device that
// cannot be opened for lack of permission is `denied`, any other is `authorized`.
// `notDetermined` and `restricted` remain for desktops that mediate camera access.
enum class CameraPermission { notDetermined, denied, restricted, authorized };

template <>
struct EnumTexts<CameraPermission> {
  static constexpr std::array table{std::pair{CameraPermission::notDetermined, std::string_view{"notDetermined"}},
                                    std::pair{CameraPermission::denied, std::string_view{"denied"}},
                                    std::pair{CameraPermission::restricted, std::string_view{"restricted"}},
                                    std::pair{CameraPermission::authorized, std::string_view{"authorized"}}};
};

// What the program does about a permission: ask for it, show that it is needed (with the
// way to allow it), or run the camera.
enum class CameraPermissionAction { request, showNeeded, run };

template <>
struct EnumTexts<CameraPermissionAction> {
  static constexpr std::array table{std::pair{CameraPermissionAction::request, std::string_view{"request"}},
                                    std::pair{CameraPermissionAction::showNeeded, std::string_view{"showNeeded"}},
                                    std::pair{CameraPermissionAction::run, std::string_view{"run"}}};
};

// notDetermined asks; denied and restricted show that access is needed; authorized runs.
CameraPermissionAction action(CameraPermission permission);

// The status line shown while the camera may not be used.
inline constexpr std::string_view cameraNeededStatus = "Camera access needed";

}  // namespace kestrel
