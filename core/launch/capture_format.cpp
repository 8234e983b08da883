#include "core/launch/capture_format.hpp"

namespace kestrel {

namespace {

bool eligible(const CaptureFormat::Candidate& c) {
  return c.width >= CaptureFormat::minWidth && c.width * 9 == c.height * 16;
}

// A later candidate replaces the current choice only when strictly better.
bool better(const CaptureFormat::Candidate& later, const CaptureFormat::Candidate& current) {
  if (later.width != current.width) return later.width < current.width;
  return later.isYUV420 && !current.isYUV420;
}

}  // namespace

std::optional<std::size_t> CaptureFormat::choose(const std::vector<Candidate>& candidates) {
  std::optional<std::size_t> chosen;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!eligible(candidates[i])) continue;
    if (!chosen || better(candidates[i], candidates[*chosen])) chosen = i;
  }
  return chosen;
}

}  // namespace kestrel
