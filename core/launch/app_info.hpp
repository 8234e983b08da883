#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the program knows about itself: its name, its identifiers and the values fixed when
// it was built (the update link and the web host it must point to, the commit and build date).
namespace kestrel::AppInfo {

inline constexpr std::string_view name = "Kestrel";

// The reverse-DNS application id; used when the running copy reports none, and as the
// subsystem of every system-log line.
inline constexpr std::string_view bundleIdentifier = KESTREL_APP_ID;

// The id of the previous sandboxed build, whose data is imported once; it also prefixes the
// names of the camera and picture queues.
inline constexpr std::string_view legacyBundleIdentifier = "io.github.larkspur.Larkspur";

// The build setting that carries the update link.
inline constexpr std::string_view downloadURLKey = "KESTREL_DOWNLOAD_URL";

// The product's own web host; an update link must name exactly this host.
std::string_view productHost();

// The update link this copy was built with, as configured (possibly empty); check it with
// downloadURL before use.
std::string_view builtDownloadURL();

// Test builds carry an id ending in ".e2e".
bool isEndToEndTestBuild(std::string_view identifier);

// The update link when `value` is an https address on the product's host; absent for
// anything else (no value, not an address, another scheme or host, blanks in it).
std::optional<std::string> downloadURL(std::optional<std::string_view> value);

// "Version unknown" without a commit; otherwise "Version <commit>", then "test build" for a
// test build and the short build date when it reads as one, joined with " · ".
std::string versionLine(std::optional<std::string_view> commit, std::optional<std::string_view> buildDate,
                        std::string_view identifier);

// "YYYY-MM-DD" (any number of digits in each part) as "7 Mar"; absent for anything else,
// including a month outside 1–12 or a day outside 1–31.
std::optional<std::string> shortDate(std::string_view buildDate);

}  // namespace kestrel::AppInfo
