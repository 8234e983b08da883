#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The system an analysis ran on, as a skeleton file records it: the distribution's pretty
// name, the kernel release and the OpenCV version, joined with " · ":
// "Debian GNU/Linux 12 (bookworm) · kernel 6.1.0-18-amd64 · OpenCV 4.6.0". A skeleton file
// made on another build is stale, because another kernel's or OpenCV's decoding and
// arithmetic may give other measurements.
std::string osBuild(std::string_view prettyName, std::string_view kernelRelease, std::string_view openCVVersion);

// The PRETTY_NAME of an os-release file's text (shell-style assignments, one a line): the
// value unquoted and with its backslash escapes resolved; a later assignment replaces an
// earlier one. Absent when no line assigns it or it is empty.
std::optional<std::string> osReleasePrettyName(std::string_view osRelease);

// What to call a system whose os-release names nothing.
inline constexpr std::string_view defaultPrettyName = "Linux";

}  // namespace kestrel
