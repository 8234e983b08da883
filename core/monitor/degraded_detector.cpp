#include "core/monitor/degraded_detector.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "core/model/geometry.hpp"

namespace kestrel {

// ---- StaleDetector -------------------------------------------------------------------------

std::optional<bool> StaleDetector::record(const CheckResult& check, Instant at) {
  if (check.head && check.head->verdict != HeadVerdict::inconclusive && check.baseline) {
    const bool leaning = check.head->verdict == HeadVerdict::bad &&
                         (check.head->cause == HeadCause::leanIn || check.head->cause == HeadCause::tooClose);
    leanIn.push_back(leaning);
    const auto limit = static_cast<std::size_t>(std::max<std::int64_t>(needed, 0));
    if (leanIn.size() > limit) leanIn.erase(leanIn.begin(), leanIn.end() - static_cast<std::ptrdiff_t>(limit));

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

// ---- DegradedDetector ----------------------------------------------------------------------

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
  const auto limit = static_cast<std::size_t>(std::max<std::int64_t>(size, 0));
  if (recent.size() > limit) recent.erase(recent.begin(), recent.end() - static_cast<std::ptrdiff_t>(limit));

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

// ---- Watchdog ------------------------------------------------------------------------------

void Watchdog::arm(Instant at) {
  if (lastFrameAt) return;
  lastFrameAt = at;
  heldTimeout.reset();
  stage = Ok{};
}

void Watchdog::disarm() {
  lastFrameAt.reset();
  heldTimeout.reset();
  stage = Ok{};
}

void Watchdog::setTimeout(Seconds t) {
  if (lastFrameAt && t < limit()) {
    // Lowered during a wait: the wait in progress still runs to the longer limit.
    heldTimeout = std::max(timeout, heldTimeout.value_or(0));
  }
  timeout = t;
}

Seconds Watchdog::limit() const { return heldTimeout ? std::max(timeout, *heldTimeout) : timeout; }

std::optional<Watchdog::Action> Watchdog::tick(Instant now, bool running) {
  if (!running || !lastFrameAt) return std::nullopt;
  const Seconds wait = std::max(limit(), 0.0);
  if (std::holds_alternative<Ok>(stage)) {
    if (now - *lastFrameAt < wait) return std::nullopt;
    stage = Restarted{now};
    return Action::restart;
  }
  if (const auto* restarted = std::get_if<Restarted>(&stage)) {
    if (now - restarted->since < wait) return std::nullopt;
    stage = Stopped{};
    return Action::stop;
  }
  return std::nullopt;
}

// ---- AdvisoryCadence -----------------------------------------------------------------------

AdvisoryCadence::AdvisoryCadence(Seconds interval, bool dozing, Seconds tuned) {
  const double checks = std::round(40.0 * tuned / interval);
  // Only the five check intervals reach here; anything else is a programming error.
  if (!std::isfinite(checks) || checks < 0 || checks > 1e9) std::abort();
  const auto count = std::max<std::int64_t>(static_cast<std::int64_t>(checks), 10);
  staleChecks = count;
  degradedChecks = count;
  staleSpan = std::max(interval * 2 * static_cast<double>(count), 1200.0);
  watchdogTimeout = dozing && interval + 30 >= 60 ? interval + 30 : 60;
}

}  // namespace kestrel
