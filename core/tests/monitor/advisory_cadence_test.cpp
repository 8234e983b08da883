#include "core/monitor/advisory_cadence.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

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
