#include "core/monitor/degraded_detector.hpp"

#include <map>

#include "core/base/keep_last.hpp"

namespace kestrel {

std::optional<std::string> DegradedDetector::unscoredReason(const CheckResult& check, bool stale) {
  if (check.skip) return std::string(toText(*check.skip));
  if (check.head && check.head->verdict == HeadVerdict::inconclusive) {
    const auto& why = check.head->reason;
    if (why == InconclusiveReason::lookingDown || why == InconclusiveReason::noFace) {
      return std::string(toText(*why));
    }
    if (!why) {
      for (const FrameVote& vote : check.frameVotes) {
        if (vote.skip) return std::string(toText(*vote.skip));
      }
      return std::string("inconclusive");
    }
  }
  if (stale) return std::string("stale");
  return std::nullopt;
}

std::string DegradedDetector::statusText(const std::optional<std::string>& code) {
  static const std::map<std::string, std::string, std::less<>> texts{
      {"yaw_out_of_range", "Facing away from the screen · Recalibrate?"},
      {"camera_effects", "Turn off camera effects"},
      {"multiple_faces", "Someone else is in view"},
      {"face_too_small", "Too far from the camera"},
      {"dark", "Too dark to see you"},
      {"looking_down", "Looking down a lot"},
      {"stale", "Camera may have moved"},
  };
  if (code) {
    if (auto found = texts.find(*code); found != texts.end()) return found->second;
  }
  return "Can't check posture right now";
}

std::string DegradedDetector::dominant(const std::vector<std::string>& codes) {
  // The map visits codes in text order, so a later code wins only with a strictly higher count.
  std::map<std::string, std::int64_t> counts;
  for (const auto& code : codes) ++counts[code];
  std::optional<std::string> best;
  std::int64_t bestCount = 0;
  for (const auto& [code, n] : counts) {
    if (n > bestCount) {
      best = code;
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

  recent.push_back(unscoredReason(check, stale));
  keepLast(recent, size);

  if (static_cast<std::int64_t>(recent.size()) < size) return end();
  std::vector<std::string> codes;
  for (const auto& code : recent) {
    if (code) codes.push_back(*code);
  }
  const auto scored = recent.size() - codes.size();
  if (static_cast<double>(scored) >= 0.2 * static_cast<double>(recent.size())) return end();

  std::string text = dominant(codes);
  if (reason == text) return std::nullopt;
  reason = text;
  return std::optional<std::string>{std::move(text)};
}

}  // namespace kestrel
