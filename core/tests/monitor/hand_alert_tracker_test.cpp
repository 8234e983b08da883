#include "core/monitor/hand_alert_tracker.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;
using alert_change::Clear;
using alert_change::Raise;

const std::string handHint = "Hand at chin · rest your jaw";

using Changes = std::vector<std::optional<AlertChange>>;

Changes feed(HandAlertTracker& tracker, const std::vector<std::optional<HandVerdict>>& verdicts) {
  Changes out;
  for (const auto& v : verdicts) out.push_back(tracker.record(v));
  return out;
}

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

}  // namespace
}  // namespace kestrel
