#pragma once

#include "core/enum_text.hpp"

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

}  // namespace kestrel
