#pragma once

// Small builders of check results for the tests of the trackers, detectors and monitor.

#include <optional>

#include "core/judgement/verdict.hpp"

namespace kestrel::testing {

inline HeadResult good(bool clearOK = true) { return {HeadVerdict::good, std::nullopt, HeadBasis::faceOnly, std::nullopt, clearOK}; }

inline HeadResult bad(std::optional<HeadCause> cause = HeadCause::headForward, bool clearOK = false) {
  return {HeadVerdict::bad, cause, HeadBasis::shoulders, std::nullopt, clearOK};
}

inline HeadResult inconclusive(std::optional<InconclusiveReason> reason) {
  return {HeadVerdict::inconclusive, std::nullopt, std::nullopt, reason, false};
}

// A judged check with a face.
inline CheckResult judged(std::optional<HeadResult> head, std::optional<HandVerdict> hand = HandVerdict::good) {
  CheckResult c;
  c.head = head;
  c.hand = hand;
  c.facePresent = true;
  return c;
}

inline CheckResult skipped(SkipReason reason, bool facePresent = false) {
  CheckResult c;
  c.skip = reason;
  c.facePresent = facePresent;
  return c;
}

}  // namespace kestrel::testing
