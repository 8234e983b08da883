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

using Changes = std::vector<std::optional<AlertChange>>;

Changes feed(HeadAlertTracker& tracker, const std::vector<std::optional<HeadResult>>& results) {
  Changes out;
  for (const auto& r : results) out.push_back(tracker.record(r));
  return out;
}

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
      {"no evidence while inactive says nothing and keeps the windows",
       {bad(HeadCause::leanIn), good(true), bad(), std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
        lean, lean},
       {none, none, none, none, none, none, none, none, none, Raise{leanHint}}},
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

TEST(HeadAlertTracker, ActiveAlertClearsAfterFourChecksWithoutEvidenceInARow) {
  HeadAlertTracker tracker{Thresholds{}};
  feed(tracker, {bad(), bad(), bad(), bad()});
  // A bad check breaks the run; a mixed one neither counts nor breaks it.
  Changes expected(8);
  expected.push_back(AlertChange{Clear{ClearReason::noEvidence}});
  EXPECT_EQ(feed(tracker, {std::nullopt, std::nullopt, std::nullopt, bad(), std::nullopt,
                           inconclusive(InconclusiveReason::lookingDown), inconclusive(InconclusiveReason::mixed),
                           inconclusive(InconclusiveReason::noFace), inconclusive(std::nullopt)}),
            expected);
  EXPECT_EQ(tracker, HeadAlertTracker{Thresholds{}});
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

}  // namespace
}  // namespace kestrel
