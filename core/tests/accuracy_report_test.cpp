#include "core/accuracy_report.hpp"

#include <gtest/gtest.h>

#include "core/tests/posture_frames.hpp"

namespace kestrel::AccuracyReport {
namespace {

HeadResult head(HeadVerdict verdict, std::optional<HeadCause> cause = std::nullopt) {
  return HeadResult{verdict, cause, std::nullopt, std::nullopt, false};
}

using L = LabelClass;

TEST(AccuracyReportClasses, VerdictsAsLabelClasses) {
  struct Case {
    const char* what;
    std::optional<SkipReason> skip;
    std::optional<HeadResult> head;
    std::optional<HandVerdict> hand;
    std::vector<LabelClass> classes;
  };
  const Case cases[] = {
      {"no face is away", SkipReason::noFace, std::nullopt, std::nullopt, {L::away}},
      {"dark is unclear", SkipReason::dark, std::nullopt, std::nullopt, {L::unclear}},
      {"turned away is unclear", SkipReason::yawOutOfRange, std::nullopt, std::nullopt, {L::unclear}},
      {"several faces are unclear", SkipReason::multipleFaces, std::nullopt, std::nullopt, {L::unclear}},
      {"good", std::nullopt, head(HeadVerdict::good), HandVerdict::good, {L::good}},
      {"good with a hand at the chin", std::nullopt, head(HeadVerdict::good), HandVerdict::bad, {L::good, L::handAtChin}},
      {"head forward", std::nullopt, head(HeadVerdict::bad, HeadCause::headForward), std::nullopt, {L::headForward}},
      {"lean in", std::nullopt, head(HeadVerdict::bad, HeadCause::leanIn), HandVerdict::mixed, {L::leanIn}},
      {"too close", std::nullopt, head(HeadVerdict::bad, HeadCause::tooClose), HandVerdict::snoozed, {L::tooClose}},
      {"too close with a hand", std::nullopt, head(HeadVerdict::bad, HeadCause::tooClose), HandVerdict::bad,
       {L::tooClose, L::handAtChin}},
      {"bad without a cause", std::nullopt, head(HeadVerdict::bad), std::nullopt, {L::unclear}},
      {"inconclusive with a hand", std::nullopt, head(HeadVerdict::inconclusive), HandVerdict::bad,
       {L::handAtChin, L::unclear}},
      {"nothing at all", std::nullopt, std::nullopt, std::nullopt, {L::unclear}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(classes(c.skip, c.head, c.hand), c.classes);
  }
}

ReplayedCheck check(const std::string& video, double time, std::optional<HeadResult> h,
                    std::optional<HandVerdict> hand = std::nullopt, std::optional<SkipReason> skip = std::nullopt) {
  return ReplayedCheck{video, time, skip, std::move(h), hand};
}

Agreement row(const AgreementTable& table, LabelClass label) {
  for (const auto& r : table.rows) {
    if (r.label == label) return r;
  }
  ADD_FAILURE() << "no row";
  return {};
}

TEST(AccuracyReportAgreement, CountsPerLabelClass) {
  const std::vector<ReplayedCheck> checks{
      check("clip.mp4", 15.0004, head(HeadVerdict::good)),
      check("clip.mp4", 30, head(HeadVerdict::bad, HeadCause::tooClose)),
      check("clip.mp4", 45, head(HeadVerdict::bad, HeadCause::headForward), HandVerdict::bad),
      check("clip.mp4", 60, head(HeadVerdict::good), HandVerdict::bad),
      check("clip.mp4", 75, std::nullopt, std::nullopt, SkipReason::noFace),
      // Two checks at one time: the first is compared.
      check("clip.mp4", 90, head(HeadVerdict::good)),
      check("clip.mp4", 90, std::nullopt, std::nullopt, SkipReason::noFace),
  };
  const std::vector<CheckLabel> labels{
      {"clip.mp4", 15, {L::good}, "3/3"},                          // agrees
      {"clip.mp4", 30, {L::leanIn}, "2/3"},                        // lean in judged too close
      {"clip.mp4", 45, {L::handAtChin, L::headForward}, "3/3"},    // agrees, in any order
      {"clip.mp4", 60, {L::good, L::good}, "3/3"},                 // a hand the people did not see
      {"clip.mp4", 75.002, {L::away}, "3/3"},                      // two milliseconds off: no check
      {"clip.mp4", 90, {L::good}, "3/3"},                          // agrees with the first
      {"other.mp4", 15, {L::good}, "3/3"},                         // another video: no check
  };
  const AgreementTable table = agreement(labels, checks);
  EXPECT_EQ(table.checks, 5);
  EXPECT_EQ(table.exact, 3);
  ASSERT_EQ(table.rows.size(), 7U);
  EXPECT_EQ(table.rows.front().label, L::good);
  EXPECT_EQ(table.rows.back().label, L::unclear);
  EXPECT_EQ(row(table, L::good), (Agreement{L::good, 3, 3, 0}));
  EXPECT_EQ(row(table, L::headForward), (Agreement{L::headForward, 1, 1, 0}));
  EXPECT_EQ(row(table, L::leanIn), (Agreement{L::leanIn, 1, 0, 0}));
  EXPECT_EQ(row(table, L::tooClose), (Agreement{L::tooClose, 0, 0, 1}));
  EXPECT_EQ(row(table, L::handAtChin), (Agreement{L::handAtChin, 1, 1, 1}));
  EXPECT_EQ(row(table, L::away), (Agreement{L::away, 0, 0, 0}));
  EXPECT_EQ(table.notReplayed, (std::vector<CheckLabel>{labels[4], labels[6]}));
}

TEST(AccuracyReportAgreement, NothingLabelled) {
  const AgreementTable table = agreement({}, {check("clip.mp4", 0, head(HeadVerdict::good))});
  EXPECT_EQ(table.checks, 0);
  EXPECT_EQ(table.exact, 0);
  for (const auto& r : table.rows) EXPECT_EQ(r, (Agreement{r.label, 0, 0, 0}));
}

TEST(AccuracyReportAgreement, TableText) {
  AgreementTable table;
  table.rows = {{L::good, 3, 2, 0},   {L::headForward, 0, 0, 2}, {L::leanIn, 8, 1, 0}, {L::tooClose, 1, 1, 12},
                {L::handAtChin, 200, 199, 0}, {L::away, 0, 0, 0}, {L::unclear, 8, 3, 1}};
  table.checks = 220;
  table.exact = 199;
  // 2/3 = 66.7 % and 3/8 = 37.5 % round up, 1/8 = 12.5 % too, 199/200 = 99.5 % gives 100 %.
  const std::string expected =
      "label                   labelled  agreed  agreement  replay also said\n"
      "good                           3       2        67%                 0\n"
      "head_forward                   0       0          -                 2\n"
      "lean_in                        8       1        13%                 0\n"
      "too_close                      1       1       100%                12\n"
      "hand_at_chin                 200     199       100%                 0\n"
      "away                           0       0          -                 0\n"
      "unclear                        8       3        38%                 1\n"
      "every label of a check       220     199        90%\n";
  EXPECT_EQ(agreementText(table), expected);

  table.notReplayed = {{"b.mp4", 12.3, {L::good}, ""}, {"a.mp4", 1, {L::good}, ""}};
  EXPECT_EQ(agreementText(table), expected + "2 label(s) without a replayed check, the first b.mp4 at 12.3 s\n");
}

CheckResult judged(std::optional<HeadResult> h, std::optional<HandVerdict> hand = std::nullopt,
                   std::optional<SkipReason> skip = std::nullopt) {
  CheckResult r;
  r.skip = skip;
  r.head = std::move(h);
  r.hand = hand;
  return r;
}

TEST(AccuracyReportRanges, TallyOfJudgedFrames) {
  RangeTally tally;
  tally.label = FixtureLabel::chinOnPalm;
  for (const auto& frame : {
           judged(head(HeadVerdict::good), HandVerdict::bad),
           judged(head(HeadVerdict::good), HandVerdict::good),
           judged(head(HeadVerdict::bad, HeadCause::headForward), HandVerdict::bad),
           judged(head(HeadVerdict::bad, HeadCause::leanIn)),
           judged(head(HeadVerdict::bad, HeadCause::tooClose)),
           judged(head(HeadVerdict::inconclusive), HandVerdict::bad),
           judged(std::nullopt),
           judged(std::nullopt, std::nullopt, SkipReason::noFace),
           judged(std::nullopt, std::nullopt, SkipReason::noFace),
           judged(std::nullopt, std::nullopt, SkipReason::dark),
       }) {
    tally.add(frame);
  }
  RangeTally expected;
  expected.label = FixtureLabel::chinOnPalm;
  expected.frames = 10;
  expected.good = 2;
  expected.headForward = 1;
  expected.leanIn = 1;
  expected.tooClose = 1;
  expected.inconclusive = 2;
  expected.handAtChin = 3;
  expected.skipped = {{SkipReason::noFace, 2}, {SkipReason::dark, 1}};
  EXPECT_EQ(tally, expected);

  tally.ranges = 2;
  RangeTally other;
  other.label = FixtureLabel::sitWellLaptop;
  other.ranges = 1;
  other.frames = 5;
  other.good = 5;
  EXPECT_EQ(rangeText({other, tally}),
            "pose               expected      ranges  frames  good  head_forward  lean_in  too_close  inconclusive  "
            "skipped  hand_at_chin  skip reasons\n"
            "sit well \u00b7 laptop  calibration        1       5     5             0        0          0             0  "
            "      0             0\n"
            "chin on palm       hand_at_chin       2      10     2             1        1          1             2  "
            "      3             3  dark 1, no_face 2\n");
}

SkeletonFile skeleton() {
  return {{SkeletonFile::currentSchema, std::string(64, 'a'), {}, "test"}, testing::sitLeanLeaveFrames()};
}

VideoIndex::Range range(FixtureLabel label, double start, double end) {
  return {"clip.mp4", std::string(64, 'a'), label, expectation(label), start, end};
}

VideoIndex index() {
  VideoIndex index;
  index.ranges = {range(FixtureLabel::sitWellLaptop, 2, 8), range(FixtureLabel::leanInFull, 12, 18),
                  range(FixtureLabel::naturalWork, 20, 95)};
  index.labels = {{"clip.mp4", 20, {L::good}, "3/3"},
                  {"clip.mp4", 50, {L::leanIn}, "3/3"},
                  {"clip.mp4", 80, {L::away}, "3/3"},
                  {"clip.mp4", 81, {L::away}, "3/3"}};
  return index;
}

AppSettings everyFifteenSeconds() {
  AppSettings settings;
  settings.checkInterval = CheckInterval::s15;
  return settings;
}

TEST(AccuracyReportFixtures, CalibrationFailures) {
  const std::map<std::string, SkeletonFile> skeletons{{"clip.mp4", skeleton()}};
  VideoIndex noLean = index();
  noLean.ranges.erase(noLean.ranges.begin() + 1);
  EXPECT_EQ(std::get<std::string>(calibrate(noLean, skeletons, Thresholds())),
            "no \"lean all the way in\" range to calibrate with");
  EXPECT_EQ(std::get<std::string>(calibrate(index(), {}, Thresholds())),
            "the skeleton file of clip.mp4 (\"sit well \u00b7 laptop\") is not ready");
  VideoIndex gone = index();
  gone.ranges[0].start = 70;  // nobody there
  gone.ranges[0].end = 80;
  EXPECT_EQ(std::get<std::string>(calibrate(gone, skeletons, Thresholds())),
            "sitting well: I can't see your face. Check the light and try again.");
  VideoIndex still = index();
  still.ranges[1].start = 30;  // sitting, not leaning
  still.ranges[1].end = 40;
  EXPECT_EQ(std::get<std::string>(calibrate(still, skeletons, Thresholds())),
            "leaning in: Lean further in toward the screen and try again.");
}

TEST(AccuracyReportFixtures, JudgesEveryFrameOfARangeBothEndsIncluded) {
  const std::map<std::string, SkeletonFile> skeletons{{"clip.mp4", skeleton()}};
  const Thresholds thresholds = checkThresholds(everyFifteenSeconds());
  const auto set = std::get<BaselineSet>(calibrate(index(), skeletons, thresholds));
  EXPECT_EQ(judgeFrames(skeletons.at("clip.mp4").frames, 2, 8, set, thresholds).size(), 25U);
  EXPECT_EQ(judgeFrames(skeletons.at("clip.mp4").frames, 2.1, 2.2, set, thresholds).size(), 0U);

  // The labelled range is left to the replay; what the posed ranges tally is in the report's own test.
  EXPECT_EQ(tallyRanges(index(), skeletons, set, thresholds).size(), 2U);
  EXPECT_EQ(tallyRanges(index(), {}, set, thresholds), std::vector<RangeTally>{});
}

TEST(AccuracyReportFixtures, ReplaysTheLabelledRanges) {
  const std::map<std::string, SkeletonFile> skeletons{{"clip.mp4", skeleton()}};
  const AppSettings settings = everyFifteenSeconds();
  const auto set = std::get<BaselineSet>(calibrate(index(), skeletons, checkThresholds(settings)));
  const Replays replays = replayLabelled(index(), skeletons, set, settings);
  EXPECT_EQ(replays.notes, std::vector<std::string>{});
  // Checks every 15 s from the range's start while the burst fits before its end.
  std::vector<double> times;
  for (const auto& c : replays.checks) {
    EXPECT_EQ(c.video, "clip.mp4");
    times.push_back(std::round(c.time * 1000) / 1000);
  }
  EXPECT_EQ(times, (std::vector<double>{20, 35, 50, 65, 80}));
  ASSERT_EQ(replays.checks.size(), 5U);
  EXPECT_EQ(classes(replays.checks[0].skip, replays.checks[0].head, replays.checks[0].hand),
            std::vector<LabelClass>{L::good});
  EXPECT_EQ(replays.checks[4].skip, SkipReason::noFace);

  const AgreementTable table = agreement(index().labels, replays.checks);
  EXPECT_EQ(table.checks, 3);
  EXPECT_EQ(row(table, L::good), (Agreement{L::good, 1, 1, 0}));
  EXPECT_EQ(row(table, L::away), (Agreement{L::away, 1, 1, 0}));
  EXPECT_EQ(table.notReplayed.size(), 1U);  // 81 s is no check's time

  VideoIndex shortRange = index();
  shortRange.ranges[2].end = 40;  // checks at 20 and 35 only
  EXPECT_EQ(replayLabelled(shortRange, skeletons, set, settings).notes,
            std::vector<std::string>{"clip.mp4 20.0\u201340.0 s: too short (2 checks)"});
}

}  // namespace
}  // namespace kestrel::AccuracyReport
