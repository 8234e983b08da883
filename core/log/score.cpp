#include "core/log/score.hpp"

namespace kestrel {

bool ScoreRules::isScored(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
                          const std::optional<HandVerdict>& hand, bool stale) {
  return !skip && head && head->verdict != HeadVerdict::inconclusive && hand != HandVerdict::mixed && !stale;
}

bool ScoreRules::isGood(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
                        const std::optional<HandVerdict>& hand, bool stale) {
  return !skip && head && head->verdict == HeadVerdict::good &&
         (hand == HandVerdict::good || hand == HandVerdict::snoozed) && !stale;
}

std::optional<std::int64_t> Score::percent(std::int64_t good, std::int64_t scored) {
  if (scored <= 0) return std::nullopt;
  // Exact integer rounding of 100 × good ÷ scored, halves away from zero (all terms are
  // non-negative here).
  return (200 * good + scored) / (2 * scored);
}

}  // namespace kestrel
