#include "core/monitor/away_tracker.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;

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
