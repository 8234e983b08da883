#pragma once

#include <string>

#include "core/base/enum_text.hpp"

namespace kestrel {

// Whether the application starts at login. On Linux the login item is the XDG autostart
// entry `$XDG_CONFIG_HOME/autostart/<application id>.desktop`: `enabled` when that file
// exists and is not hidden, `notRegistered` when it is absent, `notFound` when the running
// executable cannot be located. `requiresApproval` is kept for desktops that hold new
// autostart entries back until the user allows them.
enum class LoginItemStatus { enabled, notRegistered, requiresApproval, notFound };

template <>
struct EnumTexts<LoginItemStatus> {
  static constexpr std::array table{std::pair{LoginItemStatus::enabled, std::string_view{"enabled"}},
                                    std::pair{LoginItemStatus::notRegistered, std::string_view{"notRegistered"}},
                                    std::pair{LoginItemStatus::requiresApproval, std::string_view{"requiresApproval"}},
                                    std::pair{LoginItemStatus::notFound, std::string_view{"notFound"}}};
};

// Title of the "start at login" control: it names where the user approves the entry when
// the desktop is waiting for that approval.
std::string menuTitle(LoginItemStatus status);

}  // namespace kestrel
