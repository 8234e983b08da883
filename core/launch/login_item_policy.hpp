#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/launch/login_item_status.hpp"

// Whether and how the program offers itself as a login item (an XDG autostart entry) the
// first time it starts. The shell gathers the facts (where the executable lies, whether its
// volume is mounted read-only, the autostart status before and after) and hands them in.
namespace kestrel::LoginItemPolicy {

// Skipped with a reason that goes to the log ("translocated", "read_only").
struct Skip {
  std::string reason;

  bool operator==(const Skip&) const = default;
};

struct Register {
  bool operator==(const Register&) const = default;
};

using Decision = std::variant<Skip, Register>;

// A copy running from a temporary mount (an AppImage unpacked under /tmp/.mount_…) would
// register a path that vanishes when it quits, so it is "translocated"; otherwise a copy on a
// read-only volume is skipped as "read_only"; everything else registers. The mount is told by
// a folder of the path whose name begins with ".mount_".
Decision shouldRegister(std::string_view executablePath, bool isReadOnlyVolume);

// "login item skipped reason=<reason>" or "login item register".
std::string logLine(const Decision& decision);

// Only an entry that is absent or cannot be found yet is written.
bool shouldCallRegister(LoginItemStatus before);

// The offer counts as made once the entry is enabled or waits for the user's approval.
bool isOffered(LoginItemStatus after);

// How a failed registration is described: "<domain>:<code>", such as "errno:13".
std::string errorDescription(std::string_view domain, std::int64_t code);

// "login item register before=<status> after=<status>", then " error=<description>" when
// registering failed.
std::string registerLogLine(LoginItemStatus before, LoginItemStatus after, std::optional<std::string_view> error);

}  // namespace kestrel::LoginItemPolicy
