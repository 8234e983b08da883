#include "core/monitor/head_alert_tracker.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;
using alert_change::Clear;
using alert_change::Raise;

const std::string forwardHint = "Head forward · tuck your chin";
const std::string leanHint = "Leaning into the screen · sit back";
const std::string closeHint = "Too close to the screen · sit back";
const std::string handHint = "Hand at chin · rest your jaw";

using Changes = std::vector<std::optional<AlertChange>>;

Changes feed(HeadAlertTracker& tracker, const std::vector<std::optional<HeadResult>>& results) {
  Changes out;
  for (const auto& r : results) out.push_back(tracker.record(r));
  return out;
}

Changes feed(HandAlertTracker& tracker, const std::vector<std::optional<HandVerdict>>& verdicts) {
  Changes out;
  for (const auto& v : verdicts) out.push_back(tracker.record(v));
  return out;
}

// ---- head ----------------------------------------------------------------------------------

TEST(HeadAlertTracker, RaisesWhenFourOfTheLastFiveEvidenceChecksAreBad) {
  const auto lean = bad(HeadCause::leanIn);
  struct Case {
    const char* name;
    std::vector<std::optional<HeadResult>> results;
    Changes expected;
  };
  const std::optional<AlertChange> none;
  const Case cases[] = {
      {"four bad", {lean, lean, lean, lean}, {none, none, none, Raise{leanHint}}},
      {"a good among the first four", {lean, good(), lean, lean, lean}, {none, none, none, none, Raise{leanHint}}},
      {"two goods keep it below", {lean, good(), lean, good(), lean, lean}, {none, none, none, none, none, none}},
      {"the window slides past an old good",
       {lean, good(), good(), lean, lean, lean, lean},
       {none, none, none, none, none, none, Raise{leanHint}}},
      {"no evidence neither counts nor breaks",
       {lean, lean, std::nullopt, inconclusive(InconclusiveReason::lookingDown), lean, lean},
       {none, none, none, none, none, Raise{leanHint}}},
      {"bad verdicts without a cause never raise",
       {bad(std::nullopt), bad(std::nullopt), bad(std::nullopt), bad(std::nullopt), bad(std::nullopt), bad(std::nullopt)},
       {none, none, none, none, none, none}},
      {"the hint is that of the last bad verdict with a cause",
       {bad(HeadCause::tooClose), bad(HeadCause::tooClose), bad(HeadCause::headForward), bad(std::nullopt)},
       {none, none, none, Raise{forwardHint}}},
      {"one cause among causeless bads is enough",
       {bad(std::nullopt), bad(HeadCause::tooClose), bad(std::nullopt), bad(std::nullopt)},
       {none, none, none, Raise{closeHint}}},
      {"a mixed result is ignored whatever its verdict",
       {lean, lean, lean, HeadResult{HeadVerdict::bad, HeadCause::leanIn, std::nullopt, InconclusiveReason::mixed, false}},
       {none, none, none, none}},
  };
  for (const auto& c : cases) {
    HeadAlertTracker tracker{Thresholds{}};
    EXPECT_EQ(feed(tracker, c.results), c.expected) << c.name;
  }
}

TEST(HeadAlertTracker, ClearsOnFreshClearFlagsGatheredAfterTheRaise) {
  HeadAlertTracker tracker{Thresholds{}};
  // Bad verdicts clear of the limits before the raise must not count towards clearing it.
  const auto badButClear = bad(HeadCause::headForward, true);
  EXPECT_EQ(feed(tracker, {badButClear, badButClear, badButClear, badButClear}).back(), AlertChange{Raise{forwardHint}});
  EXPECT_TRUE(tracker.clearWindow.empty());
  EXPECT_EQ(tracker.window.size(), 4u);  // the verdict window survives the raise

  // good with clearOK false, then two clear flags (a bad one among them): cleared on the third.
  EXPECT_EQ(feed(tracker, {good(false), badButClear, good(true)}),
            (Changes{std::nullopt, std::nullopt, AlertChange{Clear{ClearReason::recovered}}}));
  EXPECT_EQ(tracker, HeadAlertTracker{Thresholds{}});
}

TEST(HeadAlertTracker, ClearWindowSlidesSoOldClearFlagsExpire) {
  HeadAlertTracker tracker{Thresholds{}};
  feed(tracker, {bad(), bad(), bad(), bad()});
  // true, false, false: one clear flag; then the true falls out of the window of three.
  EXPECT_EQ(feed(tracker, {good(true), good(false), bad(), good(true)}),
            (Changes{std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_TRUE(tracker.active);
  EXPECT_EQ(tracker.record(good(true)), AlertChange{Clear{ClearReason::recovered}});
}

TEST(HeadAlertTracker, ActiveAlertClearsAfterFourChecksWithoutEvidence) {
  HeadAlertTracker tracker{Thresholds{}};
  feed(tracker, {bad(), bad(), bad(), bad()});
  const HeadResult mixed = inconclusive(InconclusiveReason::mixed);
  EXPECT_EQ(feed(tracker, {std::nullopt, inconclusive(InconclusiveReason::lookingDown), mixed,
                           inconclusive(InconclusiveReason::noFace), inconclusive(std::nullopt)}),
            (Changes{std::nullopt, std::nullopt, std::nullopt, std::nullopt, AlertChange{Clear{ClearReason::noEvidence}}}));
  EXPECT_EQ(tracker, HeadAlertTracker{Thresholds{}});
}

TEST(HeadAlertTracker, EvidenceBreaksTheNoEvidenceRun) {
  HeadAlertTracker tracker{Thresholds{}};
  feed(tracker, {bad(), bad(), bad(), bad()});
  EXPECT_EQ(feed(tracker, {std::nullopt, std::nullopt, std::nullopt, bad(), std::nullopt, std::nullopt, std::nullopt}),
            Changes(7));
  EXPECT_TRUE(tracker.active);
  EXPECT_EQ(tracker.noEvidenceRun, 3);
}

TEST(HeadAlertTracker, InactiveTrackerKeepsItsWindowsWithoutEvidence) {
  HeadAlertTracker tracker{Thresholds{}};
  feed(tracker, {bad(HeadCause::leanIn), good(true), bad()});
  const auto before = tracker;
  EXPECT_EQ(feed(tracker, std::vector<std::optional<HeadResult>>(6, std::nullopt)), Changes(6));
  EXPECT_EQ(tracker.window, before.window);
  EXPECT_EQ(tracker.clearWindow, before.clearWindow);
  EXPECT_EQ(tracker.latestBadCause, HeadCause::headForward);
  EXPECT_EQ(tracker.noEvidenceRun, 6);
}

TEST(HeadAlertTracker, WindowsFollowRescaledThresholds) {
  // At one check a minute every window is one long: a single bad check raises, one clear
  // flag clears, one check without evidence clears.
  const Thresholds minute = Thresholds{}.applying(CheckInterval::min1);
  HeadAlertTracker tracker{minute};
  EXPECT_EQ(tracker.record(bad(HeadCause::tooClose)), AlertChange{Raise{closeHint}});
  EXPECT_EQ(tracker.record(good(true)), AlertChange{Clear{ClearReason::recovered}});
  EXPECT_EQ(tracker.record(bad()), AlertChange{Raise{forwardHint}});
  EXPECT_EQ(tracker.record(std::nullopt), AlertChange{Clear{ClearReason::noEvidence}});
}

// ---- hand ----------------------------------------------------------------------------------

TEST(HandAlertTracker, RunsOfLikeVerdictsRaiseAndClear) {
  using V = HandVerdict;
  const std::optional<AlertChange> none;
  const AlertChange raise = Raise{handHint};
  struct Case {
    const char* name;
    std::vector<std::optional<HandVerdict>> verdicts;
    Changes expected;
  };
  const Case cases[] = {
      {"bad good bad", {V::bad, V::good, V::bad}, {none, none, none}},
      {"bad bad", {V::bad, V::bad}, {none, raise}},
      {"bad bad bad raises once", {V::bad, V::bad, V::bad}, {none, raise, none}},
      {"snoozed breaks the run", {V::bad, V::snoozed, V::bad}, {none, none, none}},
      {"absent breaks the run", {V::bad, std::nullopt, V::bad}, {none, none, none}},
      {"mixed neither counts nor breaks", {V::bad, V::mixed, V::bad}, {none, none, raise}},
      {"two goods clear", {V::bad, V::bad, V::good, V::good},
       {none, raise, none, AlertChange{Clear{ClearReason::recovered}}}},
      {"a bad between goods delays the clear", {V::bad, V::bad, V::good, V::bad, V::good, V::good},
       {none, raise, none, none, none, AlertChange{Clear{ClearReason::recovered}}}},
      {"four without evidence clear", {V::bad, V::bad, V::snoozed, std::nullopt, V::mixed, V::snoozed, std::nullopt},
       {none, raise, none, none, none, none, AlertChange{Clear{ClearReason::noEvidence}}}},
      {"no evidence while inactive says nothing", {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
       {none, none, none, none, none}},
  };
  for (const auto& c : cases) {
    HandAlertTracker tracker{Thresholds{}};
    EXPECT_EQ(feed(tracker, c.verdicts), c.expected) << c.name;
  }
}

TEST(HandAlertTracker, ClearingLeavesItAsFreshlyBuilt) {
  const std::pair<std::optional<HandVerdict>, std::size_t> endings[] = {{HandVerdict::good, 2}, {std::nullopt, 4}};
  for (const auto& [verdict, count] : endings) {
    HandAlertTracker tracker{Thresholds{}};
    feed(tracker, {HandVerdict::bad, HandVerdict::bad});
    const auto changes = feed(tracker, std::vector<std::optional<HandVerdict>>(count, verdict));
    EXPECT_TRUE(changes.back().has_value());
    EXPECT_EQ(tracker, HandAlertTracker{Thresholds{}});
  }
}

// ---- away ----------------------------------------------------------------------------------

TEST(AwayTracker, CountsOnlyChecksThatSawNobodyUsable) {
  using S = SkipReason;
  const std::optional<AwayTracker::Change> none;
  struct Case {
    const char* name;
    std::vector<CheckResult> checks;
    std::vector<std::optional<AwayTracker::Change>> expected;
  };
  const Case cases[] = {
      {"four without anybody",
       {skipped(S::noFace), skipped(S::dark), skipped(S::faceTooSmall), skipped(S::noFace)},
       {none, none, none, AwayTracker::On{S::noFace}}},
      {"other skips neither count nor break",
       {skipped(S::noFace), skipped(S::noFace), skipped(S::noFace), skipped(S::multipleFaces), skipped(S::capturing),
        skipped(S::cameraMissing), skipped(S::cameraEffects), skipped(S::yawOutOfRange), skipped(S::noFace)},
       {none, none, none, none, none, none, none, none, AwayTracker::On{S::noFace}}},
      {"a classified check breaks the run",
       {skipped(S::dark), skipped(S::dark), skipped(S::dark), judged(good()), skipped(S::dark)},
       {none, none, none, none, none}},
      {"once away only the first classified check answers",
       {skipped(S::dark), skipped(S::dark), skipped(S::dark), skipped(S::dark), skipped(S::dark), judged(std::nullopt),
        judged(good())},
       {none, none, none, AwayTracker::On{S::dark}, none, AwayTracker::Off{}, none}},
  };
  for (const auto& c : cases) {
    AwayTracker tracker{Thresholds{}};
    std::vector<std::optional<AwayTracker::Change>> got;
    for (const auto& check : c.checks) got.push_back(tracker.record(check));
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
