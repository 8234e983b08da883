#include "core/monitor/degraded_detector.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;

// ---- stale ---------------------------------------------------------------------------------

// A judged check whose face is `face` times and whose shoulders are `shoulders` times as
// large as at calibration.
CheckResult sized(double face, std::optional<double> shoulders = std::nullopt, HeadResult head = good()) {
  CheckResult c = judged(head);
  c.baseline = Baseline{};
  c.baseline->faceHeight = 0.5;
  c.baseline->shoulderWidth = 0.25;
  c.faceHeightRatio = 0.5 * face;
  if (shoulders) c.shoulderWidthRatio = 0.25 * *shoulders;
  return c;
}

// Records `n` copies of a check one second apart from `start`; the answers in order.
std::vector<std::optional<bool>> feed(StaleDetector& d, const CheckResult& c, int n, Instant start = 0) {
  std::vector<std::optional<bool>> out;
  for (int i = 0; i < n; ++i) out.push_back(d.record(c, start + i));
  return out;
}

TEST(StaleDetector, SmallerFaceAloneNeedsAFullWindow) {
  StaleDetector d;
  EXPECT_EQ(feed(d, sized(0.7), 39), std::vector<std::optional<bool>>(39));
  EXPECT_EQ(d.record(sized(0.7), 39), true);
  EXPECT_TRUE(d.isStale);
  EXPECT_EQ(d.record(sized(0.7), 40), std::nullopt);
}

TEST(StaleDetector, LargerFaceOrFrequentShouldersNeedBothToAgree) {
  struct Case {
    const char* name;
    double face;
    std::optional<double> shoulders;
    int withShoulders;  // how many of the 40 checks carry the shoulder value
    bool stale;
  };
  const Case cases[] = {
      {"larger face, no shoulders", 1.3, std::nullopt, 0, false},
      {"larger face, shoulders agree", 1.3, 1.3, 40, true},
      {"larger face, shoulders as calibrated", 1.3, 1.0, 40, false},
      {"smaller face, shoulders as calibrated", 0.7, 1.0, 40, false},
      {"smaller face, shoulders smaller too", 0.7, 0.75, 40, true},
      {"smaller face, shoulders seen too rarely to count", 0.7, 1.0, 39, true},
      {"face at the lower bound is fine", 0.8, std::nullopt, 0, false},
      {"face and shoulders at the upper bound are fine", 1.25, 1.25, 40, false},
  };
  for (const auto& c : cases) {
    StaleDetector d;
    for (int i = 0; i < 40; ++i) d.record(sized(c.face, i < c.withShoulders ? c.shoulders : std::nullopt), i);
    EXPECT_EQ(d.isStale, c.stale) << c.name;
    EXPECT_EQ(d.evaluate(), c.stale) << c.name;
  }
}

TEST(StaleDetector, NearlyEveryCheckLeaningInIsStale) {
  for (const auto& [leaning, stale] : {std::pair{37, true}, std::pair{36, false}}) {
    StaleDetector d;
    feed(d, sized(1.0), 40 - leaning);
    for (int i = 0; i < leaning; ++i) {
      d.record(sized(1.0, std::nullopt, bad(i % 2 ? HeadCause::leanIn : HeadCause::tooClose)), 100 + i);
    }
    EXPECT_EQ(d.isStale, stale) << leaning;
    // Leaning checks never add size samples.
    EXPECT_EQ(d.samples.size(), static_cast<std::size_t>(40 - leaning));
    EXPECT_EQ(d.leanIn.size(), 40u);
  }
}

TEST(StaleDetector, HeadForwardIsNotLeaningIn) {
  StaleDetector d;
  feed(d, sized(1.0, std::nullopt, bad(HeadCause::headForward)), 40);
  EXPECT_FALSE(d.isStale);
  EXPECT_EQ(d.samples.size(), 40u);
}

TEST(StaleDetector, UnjudgedChecksAddNothingButStillPrune) {
  StaleDetector d;
  feed(d, sized(0.7), 40);  // samples at 0 … 39, stale from the 40th
  ASSERT_TRUE(d.isStale);
  CheckResult noBaseline = sized(0.7);
  noBaseline.baseline.reset();
  const std::vector<bool> leanBefore = d.leanIn;

  // A sample exactly `span` old is kept.
  EXPECT_EQ(d.record(sized(0.7, std::nullopt, inconclusive(InconclusiveReason::lookingDown)), 1200), std::nullopt);
  EXPECT_EQ(d.samples.size(), 40u);
  // Just past it the first sample leaves, and the window is one short.
  EXPECT_EQ(d.record(noBaseline, 1200.5), false);
  EXPECT_EQ(d.samples.size(), 39u);
  EXPECT_EQ(d.leanIn, leanBefore);
}

TEST(StaleDetector, ShoulderRatioNeedsAUsableBaselineWidth) {
  StaleDetector d;
  CheckResult c = sized(1.0, 1.0);
  c.baseline->shoulderWidth = 0;
  d.record(c, 0);
  c.baseline->shoulderWidth.reset();
  d.record(c, 1);
  d.record(sized(1.0, 1.0), 2);
  CheckResult flat = sized(1.0);
  flat.baseline->faceHeight = 0;
  d.record(flat, 3);  // no sample without a baseline face height
  ASSERT_EQ(d.samples.size(), 3u);
  EXPECT_EQ(d.samples[0].shoulderRatio, std::nullopt);
  EXPECT_EQ(d.samples[1].shoulderRatio, std::nullopt);
  EXPECT_EQ(d.samples[2], (StaleDetector::Sample{2, 1.0, 1.0}));
}

// ---- degraded ------------------------------------------------------------------------------

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
  // 20 against 20: the code that sorts first wins.
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

TEST(DegradedDetector, UnscoredReasonCodes) {
  CheckResult votes = judged(inconclusive(std::nullopt));
  votes.frameVotes = {FrameVote{std::nullopt, HeadVerdict::good, std::nullopt}, FrameVote{SkipReason::dark, {}, {}},
                      FrameVote{SkipReason::multipleFaces, {}, {}}};
  CheckResult noVotes = judged(inconclusive(std::nullopt));
  noVotes.frameVotes = {FrameVote{std::nullopt, HeadVerdict::good, std::nullopt}};
  struct Case {
    const char* name;
    CheckResult check;
    bool stale;
    std::optional<std::string> code;
  };
  const Case cases[] = {
      {"capturing", skipped(SkipReason::capturing), false, "capturing"},
      {"camera missing", skipped(SkipReason::cameraMissing), false, "camera_missing"},
      {"camera effects", skipped(SkipReason::cameraEffects), false, "camera_effects"},
      {"dark", skipped(SkipReason::dark), true, "dark"},
      {"no face", skipped(SkipReason::noFace), false, "no_face"},
      {"face too small", skipped(SkipReason::faceTooSmall), false, "face_too_small"},
      {"multiple faces", skipped(SkipReason::multipleFaces), false, "multiple_faces"},
      {"yaw", skipped(SkipReason::yawOutOfRange), false, "yaw_out_of_range"},
      {"looking down", judged(inconclusive(InconclusiveReason::lookingDown)), true, "looking_down"},
      {"borrowed face", judged(inconclusive(InconclusiveReason::noFace)), false, "no_face"},
      {"first skipping frame", votes, false, "dark"},
      {"no skipping frame", noVotes, false, "inconclusive"},
      {"mixed, stale", judged(inconclusive(InconclusiveReason::mixed)), true, "stale"},
      {"mixed, not stale", judged(inconclusive(InconclusiveReason::mixed)), false, std::nullopt},
      {"good, stale", judged(good()), true, "stale"},
      {"bad, not stale", judged(bad()), false, std::nullopt},
      {"no head, stale", judged(std::nullopt), true, "stale"},
      {"no head, not stale", judged(std::nullopt), false, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DegradedDetector::unscoredReason(c.check, c.stale), c.code) << c.name;
}

TEST(DegradedDetector, StatusTextsAndDominant) {
  const std::pair<std::optional<std::string>, std::string> texts[] = {
      {"yaw_out_of_range", "Facing away from the screen · Recalibrate?"},
      {"camera_effects", "Turn off camera effects"},
      {"multiple_faces", "Someone else is in view"},
      {"face_too_small", "Too far from the camera"},
      {"dark", "Too dark to see you"},
      {"looking_down", "Looking down a lot"},
      {"stale", "Camera may have moved"},
      {"no_face", "Can't check posture right now"},
      {"inconclusive", "Can't check posture right now"},
      {std::nullopt, "Can't check posture right now"},
  };
  for (const auto& [code, status] : texts) EXPECT_EQ(DegradedDetector::statusText(code), status) << code.value_or("-");

  EXPECT_EQ(DegradedDetector::dominant({}), "Can't check posture right now");
  EXPECT_EQ(DegradedDetector::dominant({"stale", "dark", "stale"}), "Camera may have moved");
  EXPECT_EQ(DegradedDetector::dominant({"stale", "dark"}), "Too dark to see you");
  EXPECT_EQ(DegradedDetector::dominant({"no_face", "no_face", "yaw_out_of_range"}), "Can't check posture right now");
}

// ---- watchdog ------------------------------------------------------------------------------

using Action = Watchdog::Action;

TEST(Watchdog, RestartsThenStopsThenWaitsForAFrame) {
  Watchdog w;
  w.arm(0);
  const std::pair<Instant, std::optional<Action>> ticks[] = {
      {59, std::nullopt}, {60, Action::restart}, {119, std::nullopt}, {120, Action::stop}, {500, std::nullopt}};
  for (const auto& [at, action] : ticks) EXPECT_EQ(w.tick(at, true), action) << at;
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Stopped{}});
  w.arm(600);  // already armed: nothing changes
  EXPECT_EQ(w.lastFrameAt, 0);
  w.disarm();
  w.arm(600);
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Ok{}});
  EXPECT_EQ(w.tick(659, true), std::nullopt);
  EXPECT_EQ(w.tick(660, true), Action::restart);
}

TEST(Watchdog, LoweredTimeoutKeepsTheLongerWaitUntilAFrame) {
  Watchdog w;
  w.setTimeout(330);
  w.arm(0);
  w.setTimeout(60);
  EXPECT_EQ(w.timeout, 60);
  EXPECT_EQ(w.heldTimeout, 330);
  EXPECT_EQ(w.tick(100, true), std::nullopt);
  EXPECT_EQ(w.tick(329, true), std::nullopt);
  EXPECT_EQ(w.tick(330, true), Action::restart);
  // The held limit also spaces the stop.
  EXPECT_EQ(w.tick(659, true), std::nullopt);
  EXPECT_EQ(w.tick(660, true), Action::stop);
}

TEST(Watchdog, TimeoutChanges) {
  struct Case {
    const char* name;
    bool armed;
    std::vector<Seconds> settings;
    Seconds timeout;
    std::optional<Seconds> held;
  };
  const Case cases[] = {
      {"unarmed lowering holds nothing", false, {330, 60}, 60, std::nullopt},
      {"armed raising", true, {60, 150}, 150, std::nullopt},
      {"armed equal", true, {90, 90}, 90, std::nullopt},
      {"lowered twice keeps the longest", true, {330, 150, 60}, 60, 330},
      {"lowered then raised past the held wait", true, {150, 60, 330}, 330, 150},
      {"lowered then raised below the held wait", true, {330, 60, 90}, 90, 330},
  };
  for (const auto& c : cases) {
    Watchdog w;
    w.setTimeout(c.settings.front());
    if (c.armed) w.arm(0);
    for (std::size_t i = 1; i < c.settings.size(); ++i) w.setTimeout(c.settings[i]);
    EXPECT_EQ(std::tuple(w.timeout, w.heldTimeout), std::tuple(c.timeout, c.held)) << c.name;
  }
}

TEST(Watchdog, NeverActsWhileNotRunningOrUnarmed) {
  Watchdog w;
  EXPECT_EQ(w.tick(1e6, true), std::nullopt);
  w.arm(0);
  for (Instant t : {60.0, 1e3, 1e6}) EXPECT_EQ(w.tick(t, false), std::nullopt);
  EXPECT_EQ(w.stage, Watchdog::Stage{Watchdog::Ok{}});
}

// ---- cadence -------------------------------------------------------------------------------

TEST(AdvisoryCadence, SizesForEachInterval) {
  struct Case {
    Seconds interval;
    std::int64_t checks;
    Seconds span;
    Seconds steady;
    Seconds dozing;
  };
  const Case cases[] = {
      {15, 40, 1200, 60, 60}, {30, 20, 1200, 60, 60}, {60, 10, 1200, 60, 90},
      {120, 10, 2400, 60, 150}, {300, 10, 6000, 60, 330},
  };
  for (const auto& c : cases) {
    const AdvisoryCadence steady(c.interval, false, 15);
    const AdvisoryCadence dozing(c.interval, true, 15);
    EXPECT_EQ(std::tuple(steady.staleChecks, steady.degradedChecks, steady.staleSpan, steady.watchdogTimeout),
              std::tuple(c.checks, c.checks, c.span, c.steady))
        << c.interval;
    EXPECT_EQ(dozing.watchdogTimeout, c.dozing) << c.interval;
  }
  // 40 × 15 ÷ 16 = 37.5 rounds away from zero.
  EXPECT_EQ(AdvisoryCadence(16, false, 15).staleChecks, 38);
}

}  // namespace
}  // namespace kestrel
