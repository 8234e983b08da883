#include "core/judgement/burst_vote.hpp"

#include <algorithm>

namespace kestrel::BurstVote {

namespace {

// `count` frames decide when they reach the majority, or when there are at least two and no
// frame said the opposite.
bool decides(std::int64_t count, std::int64_t opposite, std::int64_t majority) {
  return count >= majority || (count >= 2 && opposite == 0);
}

// Skip reasons that say only that this one frame could not see the user well.
bool weakReason(SkipReason reason) {
  return reason == SkipReason::dark || reason == SkipReason::noFace || reason == SkipReason::faceTooSmall;
}

FrameVote voteOf(const CheckResult& result) {
  if (result.skip) return FrameVote{result.skip, std::nullopt, std::nullopt};
  std::optional<HeadVerdict> head;
  if (result.head) head = result.head->verdict;
  return FrameVote{std::nullopt, head, result.hand};
}

}  // namespace

std::optional<HeadCause> commonest(const std::vector<HeadCause>& causes) {
  std::optional<HeadCause> best;
  std::ptrdiff_t bestCount = 0;
  for (HeadCause cause : causes) {
    const std::ptrdiff_t n = std::count(causes.begin(), causes.end(), cause);
    if (n > bestCount) {
      best = cause;
      bestCount = n;
    }
  }
  return best;
}

HeadResult head(const std::vector<HeadResult>& heads, std::int64_t majority) {
  std::vector<const HeadResult*> bad;
  std::vector<const HeadResult*> good;
  std::int64_t clear = 0;
  for (const HeadResult& h : heads) {
    if (h.verdict == HeadVerdict::bad) bad.push_back(&h);
    if (h.verdict == HeadVerdict::good) good.push_back(&h);
    if (h.verdict != HeadVerdict::inconclusive && h.clearOK) ++clear;
  }
  const auto badCount = static_cast<std::int64_t>(bad.size());
  const auto goodCount = static_cast<std::int64_t>(good.size());

  if (decides(badCount, goodCount, majority)) {
    std::vector<HeadCause> causes;
    for (const HeadResult* h : bad) {
      if (h->cause) causes.push_back(*h->cause);
    }
    return {HeadVerdict::bad, commonest(causes), bad.front()->basis, std::nullopt, false};
  }
  if (decides(goodCount, badCount, majority)) {
    const bool clearOK = clear >= majority || (clear >= 2 && clear == badCount + goodCount);
    return {HeadVerdict::good, std::nullopt, good.front()->basis, std::nullopt, clearOK};
  }
  if (badCount > 0) return {HeadVerdict::inconclusive, std::nullopt, std::nullopt, InconclusiveReason::mixed, false};
  const auto inconclusive = std::find_if(heads.begin(), heads.end(), [](const HeadResult& h) {
    return h.verdict == HeadVerdict::inconclusive;
  });
  if (inconclusive != heads.end()) return *inconclusive;
  return {HeadVerdict::inconclusive, std::nullopt, std::nullopt, std::nullopt, false};
}

std::optional<HandVerdict> hand(const std::vector<HandVerdict>& hands, std::int64_t majority) {
  if (std::find(hands.begin(), hands.end(), HandVerdict::snoozed) != hands.end()) return HandVerdict::snoozed;
  const std::int64_t badCount = std::count(hands.begin(), hands.end(), HandVerdict::bad);
  const std::int64_t goodCount = std::count(hands.begin(), hands.end(), HandVerdict::good);
  if (decides(badCount, goodCount, majority)) return HandVerdict::bad;
  if (decides(goodCount, badCount, majority)) return HandVerdict::good;
  if (badCount > 0) return HandVerdict::mixed;
  return std::nullopt;
}

CheckResult combine(const std::vector<CheckResult>& results, std::int64_t majority) {
  if (results.empty()) {
    CheckResult missing;
    missing.skip = SkipReason::cameraMissing;
    return missing;
  }
  std::vector<FrameVote> votes;
  votes.reserve(results.size());
  for (const CheckResult& r : results) votes.push_back(voteOf(r));
  const bool anyFace = std::any_of(results.begin(), results.end(), [](const CheckResult& r) { return r.facePresent; });

  std::vector<const CheckResult*> usable;
  for (const CheckResult& r : results) {
    if (!r.skip) usable.push_back(&r);
  }

  if (usable.empty()) {
    // A reason about the situation or the faces outweighs a frame that merely saw too little.
    SkipReason reason = *results.front().skip;
    const auto strong = std::find_if(results.begin(), results.end(),
                                     [](const CheckResult& r) { return !weakReason(*r.skip); });
    if (strong != results.end()) reason = *strong->skip;
    CheckResult check = results.front();
    check.skip = reason;
    check.facePresent = anyFace;
    check.frameVotes = std::move(votes);
    return check;
  }

  std::vector<HeadResult> heads;
  std::vector<HandVerdict> hands;
  for (const CheckResult* r : usable) {
    if (r->head) heads.push_back(*r->head);
    if (r->hand) hands.push_back(*r->hand);
  }
  CheckResult check = *usable.front();
  check.head = head(heads, majority);
  check.hand = hand(hands, majority);
  check.handCandidate = results.front().handCandidate;
  check.facePresent = anyFace;
  check.frameVotes = std::move(votes);
  return check;
}

}  // namespace kestrel::BurstVote

namespace kestrel {

namespace {

char initial(std::string_view text) { return text.empty() ? '-' : text.front(); }

template <class E>
std::string textOrNone(const std::optional<E>& value) {
  return value ? std::string(toText(*value)) : std::string("none");
}

}  // namespace

std::string CheckResult::logSummary(const std::string& thresholdsId) const {
  std::string tokens;
  for (const FrameVote& vote : frameVotes) {
    if (!tokens.empty()) tokens += ',';
    tokens += vote.head ? initial(toText(*vote.head)) : '-';
    tokens += vote.hand ? initial(toText(*vote.hand)) : '-';
  }
  std::optional<HeadVerdict> verdict;
  std::optional<HeadCause> cause;
  if (head) {
    verdict = head->verdict;
    cause = head->cause;
  }
  return "check head=" + textOrNone(verdict) + " cause=" + textOrNone(cause) + " hand=" + textOrNone(hand) +
         " skip=" + textOrNone(skip) + " votes=" + tokens + " thresholdsId=" + thresholdsId;
}

}  // namespace kestrel
