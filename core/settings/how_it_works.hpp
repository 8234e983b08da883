#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings/app_settings.hpp"
#include "core/model/thresholds.hpp"

// The text of the "How it works" tab, built from the tuning in force and the user's settings
// so that every number it names is the one that applies.
namespace kestrel::HowItWorks {

// Paragraphs separated by a blank line; a paragraph of several lines starts with its heading.
// `thresholds` are the check thresholds (sensitivity and interval applied), `retentionDays`
// how long the daily logs are kept, `versionLine` (when known) ends the text.
std::string text(const Thresholds& thresholds, std::int64_t retentionDays, const AppSettings& settings,
                 std::optional<std::string_view> versionLine);

}  // namespace kestrel::HowItWorks
