#pragma once

#include <string>
#include <string_view>

#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"

namespace kestrel {

// How the files of alert pictures are named.
namespace PictureNaming {

inline constexpr std::string_view recordExtension = "json";
inline constexpr std::string_view photoExtension = "lsphoto";

// "141503-<alertId>": the raise time "HHmmss" in the clock's zone, a hyphen, the alert id.
std::string stem(Instant raisedAt, std::string_view alertId, const LogClock& clock);

// A real calendar day written "YYYY-MM-DD" with zero padding, such as "2026-03-09"
// (not "2026-02-30", "2026-3-09" or "2026-03-09x").
bool isDayName(std::string_view name);

// Not empty, and only ASCII letters, ASCII digits, "-" and "_": safe inside a file name.
bool isSafeAlertId(std::string_view alertId);

}  // namespace PictureNaming

}  // namespace kestrel
