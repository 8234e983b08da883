#include "core/monitor/degraded_detector.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;

using DegradedAnswer = std::optional<std::optional<std::string>>;
const DegradedAnswer ended = std::optional<std::string>{};

DegradedAnswer text(const char* t) { return std::optional<std::string>{t}; }

TEST(DegradedDetector, MoreThanFourFifthsUnscoredIsDegraded) {
  for (const auto& [scoredCount, answer] : {std::pair{7, text("Someone else is in view")}, std::pair{8, DegradedAnswer{}}}) {
    DegradedDetector d;
    std::vector<DegradedAnswer> answers;
    for (int i = 0; i < scoredCount; ++i) answers.push_back(d.record(judged(good()), false));
    for (int i = scoredCount; i < 40; ++i) answers.push_back(d.record(skipped(SkipReason::multipleFaces, true), false));
    std::vector<DegradedAnswer> expected(40);
    expected.back() = answer;
    EXPECT_EQ(answers, expected) << scoredCount;
  }
}

TEST(DegradedDetector, TextFollowsTheDominantCodeAndEnds) {
  DegradedDetector d;
  for (int i = 0; i < 39; ++i) d.record(skipped(SkipReason::multipleFaces, true), false);
  EXPECT_EQ(d.record(skipped(SkipReason::multipleFaces, true), false), text("Someone else is in view"));
  // 20 against 20: the cause listed first wins.
  for (int i = 0; i < 19; ++i) EXPECT_EQ(d.record(skipped(SkipReason::faceTooSmall, true), false), DegradedAnswer{});
  EXPECT_EQ(d.record(skipped(SkipReason::faceTooSmall, true), false), text("Too far from the camera"));
  EXPECT_EQ(d.reason, "Too far from the camera");
  // Scored checks: the eighth makes it 8 of 40.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(d.record(judged(good()), false), DegradedAnswer{});
  EXPECT_EQ(d.record(judged(bad()), false), ended);
  EXPECT_EQ(d.reason, std::nullopt);
  EXPECT_EQ(d.record(judged(good()), false), DegradedAnswer{});
}

TEST(DegradedDetector, ChecksWithoutAFaceNeverEnterTheWindow) {
  DegradedDetector d;
  for (int i = 0; i < 40; ++i) d.record(skipped(SkipReason::dark, true), false);
  ASSERT_EQ(d.reason, "Too dark to see you");
  const auto before = d;
  EXPECT_EQ(d.record(skipped(SkipReason::noFace), false), DegradedAnswer{});
  CheckResult faceless = judged(good());
  faceless.facePresent = false;
  EXPECT_EQ(d.record(faceless, false), DegradedAnswer{});
  EXPECT_EQ(d, before);
}

TEST(DegradedDetector, AWindowGrownPastItsContentsEndsTheDegradedState) {
  DegradedDetector d;
  d.size = 10;
  for (int i = 0; i < 10; ++i) d.record(skipped(SkipReason::cameraEffects, true), false);
  ASSERT_EQ(d.reason, "Turn off camera effects");
  d.size = 40;
  EXPECT_EQ(d.record(skipped(SkipReason::cameraEffects, true), false), ended);
  d.size = 5;  // shrinking cuts the window on the next check
  EXPECT_EQ(d.record(skipped(SkipReason::cameraEffects, true), false), text("Turn off camera effects"));
  EXPECT_EQ(d.recent.size(), 5u);
}

TEST(DegradedDetector, UnscoredCauses) {
  using C = UnscoredCause;
  CheckResult votes = judged(inconclusive(std::nullopt));
  votes.frameVotes = {FrameVote{std::nullopt, HeadVerdict::good, std::nullopt}, FrameVote{SkipReason::dark, {}, {}},
                      FrameVote{SkipReason::multipleFaces, {}, {}}};
  CheckResult noVotes = judged(inconclusive(std::nullopt));
  noVotes.frameVotes = {FrameVote{std::nullopt, HeadVerdict::good, std::nullopt}};
  struct Case {
    const char* name;
    CheckResult check;
    bool stale;
    std::optional<UnscoredCause> cause;
  };
  const Case cases[] = {
      {"dark, stale", skipped(SkipReason::dark), true, C::dark},
      {"yaw", skipped(SkipReason::yawOutOfRange), false, C::yawOutOfRange},
      {"looking down", judged(inconclusive(InconclusiveReason::lookingDown)), true, C::lookingDown},
      {"borrowed face", judged(inconclusive(InconclusiveReason::noFace)), false, C::noFace},
      {"first skipping frame", votes, false, C::dark},
      {"no skipping frame", noVotes, false, C::inconclusive},
      {"mixed, stale", judged(inconclusive(InconclusiveReason::mixed)), true, C::stale},
      {"mixed, not stale", judged(inconclusive(InconclusiveReason::mixed)), false, std::nullopt},
      {"good, stale", judged(good()), true, C::stale},
      {"bad, not stale", judged(bad()), false, std::nullopt},
      {"no head, stale", judged(std::nullopt), true, C::stale},
      {"no head, not stale", judged(std::nullopt), false, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DegradedDetector::unscoredCause(c.check, c.stale), c.cause) << c.name;
}

TEST(DegradedDetector, StatusTextsAndDominant) {
  using enum UnscoredCause;
  const std::pair<std::optional<UnscoredCause>, std::string_view> texts[] = {
      {yawOutOfRange, "Facing away from the screen · Recalibrate?"},
      {lookingDown, "Looking down a lot"},
      {capturing, "Can't check posture right now"},
      {std::nullopt, "Can't check posture right now"},
  };
  for (const auto& [cause, status] : texts) EXPECT_EQ(DegradedDetector::statusText(cause), status) << status;

  EXPECT_EQ(DegradedDetector::dominant({}), "Can't check posture right now");
  EXPECT_EQ(DegradedDetector::dominant({stale, dark, stale}), "Camera may have moved");
  // Equal counts: the cause listed first wins, whatever the order of the checks.
  EXPECT_EQ(DegradedDetector::dominant({stale, dark}), "Too dark to see you");
  EXPECT_EQ(DegradedDetector::dominant({faceTooSmall, dark}), "Too dark to see you");
  EXPECT_EQ(DegradedDetector::dominant({noFace, noFace, yawOutOfRange}), "Can't check posture right now");
  // A skipped "no face" and a borrowed face count as one cause against two looks away.
  EXPECT_EQ(DegradedDetector::dominant({noFace, yawOutOfRange, yawOutOfRange, noFace, noFace}),
            "Can't check posture right now");
}

}  // namespace
}  // namespace kestrel
