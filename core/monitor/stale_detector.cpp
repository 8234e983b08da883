#include "core/monitor/stale_detector.hpp"

#include <algorithm>

#include "core/base/keep_last.hpp"
#include "core/model/geometry.hpp"

namespace kestrel {

std::optional<bool> StaleDetector::record(const CheckResult& check, Instant at) {
  if (check.head && check.head->verdict != HeadVerdict::inconclusive && check.baseline) {
    const bool leaning = check.head->verdict == HeadVerdict::bad &&
                         (check.head->cause == HeadCause::leanIn || check.head->cause == HeadCause::tooClose);
    leanIn.push_back(leaning);
    keepLast(leanIn, needed);

    // A leaning head is meant to look bigger: it says nothing about where the camera is.
    const Baseline& base = *check.baseline;
    if (!leaning && check.faceHeightRatio && base.faceHeight > 0) {
      Sample sample{at, *check.faceHeightRatio / base.faceHeight, std::nullopt};
      if (check.shoulderWidthRatio && base.shoulderWidth && *base.shoulderWidth > 0) {
        sample.shoulderRatio = *check.shoulderWidthRatio / *base.shoulderWidth;
      }
      samples.push_back(sample);
    }
  }

  std::erase_if(samples, [&](const Sample& s) { return at - s.at > span; });

  const bool answer = evaluate();
  if (answer == isStale) return std::nullopt;
  isStale = answer;
  return answer;
}

bool StaleDetector::evaluate() const {
  const auto enough = [this](std::size_t n) { return static_cast<std::int64_t>(n) >= needed; };

  if (enough(leanIn.size())) {
    const auto leaning = std::count(leanIn.begin(), leanIn.end(), true);
    if (static_cast<double>(leaning) > 0.9 * static_cast<double>(leanIn.size())) return true;
  }
  if (!enough(samples.size())) return false;

  std::vector<double> faces;
  std::vector<double> shoulders;
  faces.reserve(samples.size());
  for (const Sample& s : samples) {
    faces.push_back(s.faceRatio);
    if (s.shoulderRatio) shoulders.push_back(*s.shoulderRatio);
  }
  const auto face = median(std::move(faces));
  if (!face) return false;
  const auto shoulder = enough(shoulders.size()) ? median(std::move(shoulders)) : std::nullopt;
  // With the shoulders rarely seen, a face that looks smaller suffices; a face that looks
  // larger may just be a user sitting closer, so it needs the shoulders to agree.
  if (!shoulder) return *face < 0.8;
  const bool shouldersOff = *shoulder < 0.8 || *shoulder > 1.25;
  return (*face < 0.8 || *face > 1.25) && shouldersOff;
}

}  // namespace kestrel
