#include "core/monitor/degraded_detector.hpp"

#include <map>

#include "core/base/keep_last.hpp"

namespace kestrel {

namespace {

UnscoredCause causeOf(SkipReason reason) {
  switch (reason) {
    case SkipReason::capturing:
      return UnscoredCause::capturing;
    case SkipReason::cameraMissing:
      return UnscoredCause::cameraMissing;
    case SkipReason::cameraEffects:
      return UnscoredCause::cameraEffects;
    case SkipReason::dark:
      return UnscoredCause::dark;
    case SkipReason::noFace:
      return UnscoredCause::noFace;
    case SkipReason::faceTooSmall:
      return UnscoredCause::faceTooSmall;
    case SkipReason::multipleFaces:
      return UnscoredCause::multipleFaces;
    case SkipReason::yawOutOfRange:
      break;
  }
  return UnscoredCause::yawOutOfRange;
}

}  // namespace

std::optional<UnscoredCause> DegradedDetector::unscoredCause(const CheckResult& check, bool stale) {
  if (check.skip) return causeOf(*check.skip);
  if (check.head && check.head->verdict == HeadVerdict::inconclusive) {
    const auto& why = check.head->reason;
    if (why == InconclusiveReason::lookingDown) return UnscoredCause::lookingDown;
    if (why == InconclusiveReason::noFace) return UnscoredCause::noFace;
    if (!why) {
      for (const FrameVote& vote : check.frameVotes) {
        if (vote.skip) return causeOf(*vote.skip);
      }
      return UnscoredCause::inconclusive;
    }
  }
  if (stale) return UnscoredCause::stale;
  return std::nullopt;
}

std::string_view DegradedDetector::statusText(std::optional<UnscoredCause> cause) {
  switch (cause.value_or(UnscoredCause::inconclusive)) {
    case UnscoredCause::yawOutOfRange:
      return "Facing away from the screen · Recalibrate?";
    case UnscoredCause::cameraEffects:
      return "Turn off camera effects";
    case UnscoredCause::multipleFaces:
      return "Someone else is in view";
    case UnscoredCause::faceTooSmall:
      return "Too far from the camera";
    case UnscoredCause::dark:
      return "Too dark to see you";
    case UnscoredCause::lookingDown:
      return "Looking down a lot";
    case UnscoredCause::stale:
      return "Camera may have moved";
    case UnscoredCause::cameraMissing:
    case UnscoredCause::capturing:
    case UnscoredCause::inconclusive:
    case UnscoredCause::noFace:
      break;
  }
  return "Can't check posture right now";
}

std::string_view DegradedDetector::dominant(const std::vector<UnscoredCause>& causes) {
  // The map visits causes in their listed order, so a later one wins only with a strictly
  // higher count.
  std::map<UnscoredCause, std::int64_t> counts;
  for (const auto cause : causes) ++counts[cause];
  std::optional<UnscoredCause> best;
  std::int64_t bestCount = 0;
  for (const auto& [cause, n] : counts) {
    if (n > bestCount) {
      best = cause;
      bestCount = n;
    }
  }
  return statusText(best);
}

std::optional<std::optional<std::string>> DegradedDetector::end() {
  if (!reason) return std::nullopt;
  reason.reset();
  return std::optional<std::string>{};
}

std::optional<std::optional<std::string>> DegradedDetector::record(const CheckResult& check, bool stale) {
  if (!check.facePresent) return std::nullopt;

  recent.push_back(unscoredCause(check, stale));
  keepLast(recent, size);

  if (static_cast<std::int64_t>(recent.size()) < size) return end();
  std::vector<UnscoredCause> causes;
  for (const auto& cause : recent) {
    if (cause) causes.push_back(*cause);
  }
  const auto scored = recent.size() - causes.size();
  if (static_cast<double>(scored) >= 0.2 * static_cast<double>(recent.size())) return end();

  std::string text(dominant(causes));
  if (reason == text) return std::nullopt;
  reason = text;
  return std::optional<std::string>{std::move(text)};
}

}  // namespace kestrel
