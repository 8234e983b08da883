#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"
#include "core/settings/picture_retention.hpp"

namespace kestrel {

// When and which day folders of pictures are removed.
namespace PicturePrune {

// The day names among `existing` older than the retention allows, sorted ascending. The
// retention keeps today and the days before it up to its count of calendar days in the
// clock's zone (at least today); names that are not day names are never chosen.
std::vector<std::string> daysToPrune(const std::vector<std::string>& existing, Instant now,
                                     PictureRetention retention, const LogClock& clock);

// True before the first prune and whenever the day has changed since the last one.
bool needsPrune(const std::optional<std::string>& lastDay, Instant now, const LogClock& clock);

// True when a picture viewer is open on one of the removed days.
bool closesViewer(const std::optional<std::string>& viewerDay, const std::vector<std::string>& removed);

}  // namespace PicturePrune

}  // namespace kestrel
