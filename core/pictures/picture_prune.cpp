#include "core/pictures/picture_prune.hpp"

#include <date/date.h>

#include <algorithm>
#include <cstdio>

#include "core/pictures/picture_naming.hpp"

namespace kestrel {

namespace {

// The day name `back` calendar days before the local day of `now`.
std::string dayNameBefore(Instant now, std::int64_t back, const LogClock& clock) {
  const CivilTime today = clock.timeZone.civil(now);
  const date::sys_days day = date::sys_days{date::year{today.year} / today.month / today.day} - date::days{back};
  const date::year_month_day ymd{day};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return text;
}

}  // namespace

std::vector<std::string> PicturePrune::daysToPrune(const std::vector<std::string>& existing, Instant now,
                                                   PictureRetention retention, const LogClock& clock) {
  const std::int64_t keep = std::max<std::int64_t>(1, days(retention));
  const std::string oldestKept = dayNameBefore(now, keep - 1, clock);
  std::vector<std::string> chosen;
  for (const std::string& name : existing) {
    if (PictureNaming::isDayName(name) && name < oldestKept) chosen.push_back(name);
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

bool PicturePrune::needsPrune(const std::optional<std::string>& lastDay, Instant now, const LogClock& clock) {
  return !lastDay || *lastDay != clock.dayName(now);
}

bool PicturePrune::closesViewer(const std::optional<std::string>& viewerDay, const std::vector<std::string>& removed) {
  return viewerDay && std::find(removed.begin(), removed.end(), *viewerDay) != removed.end();
}

}  // namespace kestrel
