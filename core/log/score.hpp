#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/judgement/verdict.hpp"

namespace kestrel {

// A logged check that today's score can count: whether it counts at all, and whether the
// user sat well at it.
template <class T>
concept Scorable = requires(const T& record) {
  { record.isScored() } -> std::same_as<bool>;
  { record.isGood() } -> std::same_as<bool>;
};

// The rules behind isScored and isGood, shared by every scorable record.
namespace ScoreRules {

// Judged, with a definite head verdict, no mixed hand and fresh readings.
bool isScored(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
              const std::optional<HandVerdict>& hand, bool stale);
// Judged, a good head, a good or snoozed hand, fresh readings.
bool isGood(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
            const std::optional<HandVerdict>& hand, bool stale);

}  // namespace ScoreRules

namespace Score {

// 100 × good ÷ scored, to the nearest whole number with halves away from zero; absent when no
// check is scored.
std::optional<std::int64_t> percent(std::int64_t good, std::int64_t scored);

// The share of good checks among the scored ones, as a whole percentage.
template <Scorable T>
std::optional<std::int64_t> percent(const std::vector<T>& records) {
  std::int64_t scored = 0;
  std::int64_t good = 0;
  for (const T& record : records) {
    if (!record.isScored()) continue;
    ++scored;
    if (record.isGood()) ++good;
  }
  return percent(good, scored);
}

}  // namespace Score

}  // namespace kestrel
