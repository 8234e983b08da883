#include "core/settings/picture_retention.hpp"

namespace kestrel {

std::int64_t days(PictureRetention retention) {
  switch (retention) {
    case PictureRetention::day: return 1;
    case PictureRetention::week: return 7;
    case PictureRetention::month: return 30;
  }
  return 7;
}

std::optional<PictureRetention> pictureRetentionFromRaw(std::int64_t rawDays) {
  for (PictureRetention r : allCases<PictureRetention>()) {
    if (days(r) == rawDays) return r;
  }
  return std::nullopt;
}

std::string label(PictureRetention retention) {
  switch (retention) {
    case PictureRetention::day: return "Today only";
    case PictureRetention::week: return "7 days";
    case PictureRetention::month: return "30 days";
  }
  return {};
}

}  // namespace kestrel
