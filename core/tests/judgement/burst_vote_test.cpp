#include "core/judgement/burst_vote.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using testing::skipped;

constexpr std::int64_t majority = 3;

HeadResult goodHead(bool clearOK = true, HeadBasis basis = HeadBasis::faceOnly) {
  return {HeadVerdict::good, std::nullopt, basis, std::nullopt, clearOK};
}
HeadResult badHead(HeadCause cause, HeadBasis basis = HeadBasis::faceOnly, bool clearOK = false) {
  return {HeadVerdict::bad, cause, basis, std::nullopt, clearOK};
}
HeadResult inconclusive(std::optional<InconclusiveReason> reason, std::optional<HeadBasis> basis = std::nullopt,
                        bool clearOK = false) {
  return {HeadVerdict::inconclusive, std::nullopt, basis, reason, clearOK};
}

const HeadResult undecided = inconclusive(std::nullopt);
const HeadResult mixed = inconclusive(InconclusiveReason::mixed);
const HeadResult lookingDown = inconclusive(InconclusiveReason::lookingDown, HeadBasis::shoulders, true);
const HeadResult noFace = inconclusive(InconclusiveReason::noFace);
const HeadResult tooClose = badHead(HeadCause::tooClose);
const HeadResult leanIn = badHead(HeadCause::leanIn, HeadBasis::shoulders);

TEST(HeadVote, Cases) {
  const HeadResult badBad{HeadVerdict::bad, HeadCause::tooClose, HeadBasis::faceOnly, std::nullopt, false};
  const HeadResult unclear = goodHead(false);
  struct Case {
    const char* name;
    std::vector<HeadResult> heads;
    HeadResult expected;
  };
  const Case cases[] = {
      {"two bad and nothing else", {tooClose, tooClose}, badBad},
      {"two bad and one good", {tooClose, tooClose, goodHead()}, mixed},
      {"three bad outvote one good", {tooClose, goodHead(), tooClose, tooClose}, badBad},
      {"one lone bad among inconclusive", {lookingDown, tooClose}, mixed},
      {"three good and one bad", {goodHead(), goodHead(), goodHead(), tooClose}, goodHead(true)},
      {"two good and one bad", {goodHead(), goodHead(), tooClose}, mixed},
      {"good then looking down twice", {goodHead(), lookingDown, noFace}, lookingDown},
      {"one lone good", {goodHead()}, undecided},
      {"three good, two inside the band", {goodHead(), unclear, unclear}, goodHead(false)},
      {"good basis from the first good", {lookingDown, goodHead(true, HeadBasis::shoulders), goodHead()},
       goodHead(true, HeadBasis::shoulders)},
      {"bad basis from the first bad", {tooClose, leanIn, leanIn},
       HeadResult{HeadVerdict::bad, HeadCause::leanIn, HeadBasis::faceOnly, std::nullopt, false}},
      {"causes lean in, too close, too close",
       {leanIn, tooClose, tooClose},
       HeadResult{HeadVerdict::bad, HeadCause::tooClose, HeadBasis::shoulders, std::nullopt, false}},
      {"causes lean in, too close", {leanIn, tooClose}, badHead(HeadCause::leanIn, HeadBasis::shoulders)},
      {"a bad vote never clears", {badHead(HeadCause::tooClose, HeadBasis::faceOnly, true),
                                   badHead(HeadCause::tooClose, HeadBasis::faceOnly, true)}, badBad},
  };
  for (const auto& c : cases) EXPECT_EQ(BurstVote::head(c.heads, majority), c.expected) << c.name;
}

TEST(HeadVote, ClearOKAggregation) {
  const HeadResult clear = goodHead(true);
  const HeadResult unclear = goodHead(false);
  struct Case {
    const char* name;
    std::vector<HeadResult> heads;
    bool clearOK;
  };
  const Case cases[] = {
      {"three good, two clear", {clear, clear, unclear}, false},
      {"two good, both clear", {clear, clear}, true},
      {"two good, one clear", {clear, unclear}, false},
      {"three clear and one unclear", {clear, unclear, clear, clear}, true},
      {"a clear bad frame counts", {clear, clear, unclear, badHead(HeadCause::tooClose, HeadBasis::faceOnly, true)},
       true},
      {"a clear inconclusive frame does not", {clear, clear, unclear, lookingDown}, false},
      {"two clear among inconclusive", {clear, lookingDown, clear}, true},
  };
  for (const auto& c : cases) {
    const HeadResult vote = BurstVote::head(c.heads, majority);
    EXPECT_EQ(vote.verdict, HeadVerdict::good) << c.name;
    EXPECT_EQ(vote.clearOK, c.clearOK) << c.name;
  }
}

TEST(HandVote, Cases) {
  constexpr auto G = HandVerdict::good;
  constexpr auto B = HandVerdict::bad;
  constexpr auto S = HandVerdict::snoozed;
  constexpr auto M = HandVerdict::mixed;
  struct Case {
    std::vector<HandVerdict> hands;
    std::optional<HandVerdict> expected;
  };
  const Case cases[] = {
      {{G, B, S}, S},    {{B, B, B, S}, S}, {{G}, std::nullopt}, {{B, B}, B}, {{B, B, G}, M}, {{B, G, B, B}, B},
      {{G, G, G, B}, G}, {{G, G}, G},       {{G, G, B}, M},      {{B}, M},    {{M, M}, std::nullopt},
  };
  for (const auto& c : cases) {
    std::string name;
    for (HandVerdict h : c.hands) name += std::string(toText(h)) + " ";
    EXPECT_EQ(BurstVote::hand(c.hands, majority), c.expected) << name;
  }
}

TEST(Commonest, TiesGoToTheEarliestFirstOccurrence) {
  constexpr auto F = HeadCause::headForward;
  constexpr auto L = HeadCause::leanIn;
  constexpr auto T = HeadCause::tooClose;
  struct Case {
    std::vector<HeadCause> causes;
    std::optional<HeadCause> expected;
  };
  const Case cases[] = {
      {{}, std::nullopt}, {{L}, L}, {{L, T, T}, T}, {{L, T}, L}, {{T, L, L, T}, T}, {{T, F, L, F}, F},
      {{L, F, T, T, F, L}, L},
  };
  for (const auto& c : cases) EXPECT_EQ(BurstVote::commonest(c.causes), c.expected) << c.causes.size();
}

// A judged frame; `tag` marks its ratios so the check's source frame can be recognised.
CheckResult judged(HeadResult head, HandVerdict hand = HandVerdict::good, bool candidate = false, double tag = 0.3) {
  CheckResult r;
  r.head = head;
  r.hand = hand;
  r.handCandidate = candidate;
  r.facePresent = true;
  r.subjectFace = Face{{tag, 0, 100, 100}, 0.0, 0.0};
  r.faceHeightRatio = tag;
  r.shoulderConfidence = {0, 0};
  return r;
}

FrameVote vote(HeadVerdict head, HandVerdict hand) { return FrameVote{std::nullopt, head, hand}; }
FrameVote vote(SkipReason skip) { return FrameVote{skip, std::nullopt, std::nullopt}; }

TEST(Combine, HeadVerdictsOfFourFrames) {
  const SkipReason dark = SkipReason::dark;
  struct Case {
    const char* name;
    std::vector<CheckResult> frames;
    HeadResult expected;
  };
  const Case cases[] = {
      {"bad, bad, skipped, skipped", {judged(tooClose), judged(tooClose), skipped(dark), skipped(dark)},
       badHead(HeadCause::tooClose)},
      {"good, good and two skipped, all clear",
       {judged(goodHead()), skipped(dark), judged(goodHead()), skipped(dark)}, goodHead(true)},
  };
  for (const auto& c : cases) {
    const CheckResult check = BurstVote::combine(c.frames, majority);
    EXPECT_EQ(check.skip, std::nullopt) << c.name;
    EXPECT_EQ(check.head, c.expected) << c.name;
  }
}

TEST(Combine, EveryFrameSkipped) {
  using S = SkipReason;
  struct Case {
    const char* name;
    std::vector<S> reasons;
    S expected;
  };
  const Case cases[] = {
      {"a face reason beats the weak ones", {S::noFace, S::multipleFaces, S::noFace, S::dark}, S::multipleFaces},
      {"only weak reasons: the first frame's", {S::dark, S::noFace, S::dark, S::dark}, S::dark},
      {"face too small is weak too", {S::noFace, S::faceTooSmall, S::dark, S::faceTooSmall}, S::noFace},
      {"the first strong reason in frame order", {S::noFace, S::dark, S::yawOutOfRange, S::capturing},
       S::yawOutOfRange},
      {"a strong first frame", {S::cameraEffects, S::cameraMissing}, S::cameraEffects},
  };
  for (const auto& c : cases) {
    std::vector<CheckResult> frames;
    std::vector<FrameVote> votes;
    for (S reason : c.reasons) {
      frames.push_back(skipped(reason));
      votes.push_back(vote(reason));
    }
    CheckResult expected;
    expected.skip = c.expected;
    expected.frameVotes = votes;
    EXPECT_EQ(BurstVote::combine(frames, majority), expected) << c.name;
  }
}

TEST(Combine, SkippedCheckKeepsTheFirstFrameAndAnyFace) {
  CheckResult first = skipped(SkipReason::noFace);
  CheckResult tooMany = skipped(SkipReason::multipleFaces, true);
  tooMany.subjectFace = Face{{1, 2, 3, 4}, 0.0, 0.0};
  tooMany.faceHeightRatio = 0.4;
  const CheckResult check = BurstVote::combine({first, tooMany}, majority);
  EXPECT_EQ(check.skip, SkipReason::multipleFaces);
  EXPECT_TRUE(check.facePresent);
  EXPECT_EQ(check.subjectFace, std::nullopt);
  EXPECT_EQ(check.faceHeightRatio, std::nullopt);
}

TEST(Combine, UsableCheckTakesTheFirstUsableFrameAndTheFirstFramesCandidate) {
  CheckResult small = skipped(SkipReason::faceTooSmall, true);
  const std::vector<CheckResult> frames{small, judged(goodHead(), HandVerdict::bad, true, 0.31),
                                        judged(goodHead(), HandVerdict::bad, true, 0.32),
                                        judged(goodHead(), HandVerdict::bad, true, 0.33)};
  CheckResult expected = frames[1];
  expected.head = goodHead(true);
  expected.hand = HandVerdict::bad;
  expected.handCandidate = false;
  expected.frameVotes = {vote(SkipReason::faceTooSmall), vote(HeadVerdict::good, HandVerdict::bad),
                         vote(HeadVerdict::good, HandVerdict::bad), vote(HeadVerdict::good, HandVerdict::bad)};
  EXPECT_EQ(BurstVote::combine(frames, majority), expected);

  // The first frame's candidate is kept even when no other frame finds the hand.
  const auto check = BurstVote::combine({judged(goodHead(), HandVerdict::bad, true), judged(goodHead())}, majority);
  EXPECT_TRUE(check.handCandidate);
  EXPECT_EQ(check.hand, HandVerdict::mixed);
}

TEST(Combine, FacePresentWhenAnyFrameHadAFace) {
  CheckResult borrowed = judged(noFace, HandVerdict::bad, true);
  borrowed.facePresent = false;
  borrowed.borrowed = true;
  const auto check =
      BurstVote::combine({borrowed, borrowed, skipped(SkipReason::dark, true), skipped(SkipReason::noFace)}, majority);
  EXPECT_TRUE(check.facePresent);
  EXPECT_TRUE(check.borrowed);
  EXPECT_EQ(check.head, noFace);
  EXPECT_EQ(check.hand, HandVerdict::bad);

  borrowed.hand = HandVerdict::good;
  EXPECT_FALSE(BurstVote::combine({borrowed, skipped(SkipReason::noFace)}, majority).facePresent);
}

TEST(Combine, HandVoteSkipsFramesWithoutAHandVerdict) {
  CheckResult noHand = judged(goodHead());
  noHand.hand.reset();
  const auto check = BurstVote::combine({noHand, judged(goodHead()), judged(goodHead())}, majority);
  EXPECT_EQ(check.hand, HandVerdict::good);
  EXPECT_EQ(check.frameVotes.front(), (FrameVote{std::nullopt, HeadVerdict::good, std::nullopt}));
}

TEST(LogSummary, Texts) {
  const std::vector<CheckResult> frames{judged(goodHead()), judged(goodHead()),
                                        judged(tooClose, HandVerdict::bad, true), skipped(SkipReason::dark)};
  EXPECT_EQ(BurstVote::combine(frames, majority).logSummary("t-2026-10-10a-60s"),
            "check head=INCONCLUSIVE cause=none hand=MIXED skip=none votes=GG,GG,BB,-- thresholdsId=t-2026-10-10a-60s");

  const std::vector<CheckResult> leaning{judged(leanIn, HandVerdict::snoozed), judged(leanIn, HandVerdict::snoozed),
                                         judged(leanIn, HandVerdict::snoozed), judged(lookingDown, HandVerdict::snoozed)};
  EXPECT_EQ(BurstVote::combine(leaning, majority).logSummary("t"),
            "check head=BAD cause=lean_in hand=SNOOZED skip=none votes=BS,BS,BS,IS thresholdsId=t");

  EXPECT_EQ(BurstVote::combine({}, majority).logSummary("t"),
            "check head=none cause=none hand=none skip=camera_missing votes= thresholdsId=t");

  CheckResult partial;
  partial.head = goodHead();
  partial.frameVotes = {FrameVote{std::nullopt, HeadVerdict::inconclusive, std::nullopt},
                        FrameVote{std::nullopt, std::nullopt, HandVerdict::mixed}, FrameVote{}};
  EXPECT_EQ(partial.logSummary(""), "check head=GOOD cause=none hand=none skip=none votes=I-,-M,-- thresholdsId=");
}

}  // namespace
}  // namespace kestrel
