#include "core/launch/frame_rate.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(FrameRate, IdleAtTheBestRangesMinimumAndAboutTenDuringABurst) {
  struct Case {
    const char* what;
    std::vector<FrameRateRange> ranges;
    std::optional<double> idle;
    std::optional<double> high;
  };
  const Case cases[] = {
      {"1 to 30", {{1, 30}}, 1, 10},
      {"15 to 30: never below the minimum", {{15, 30}}, 15, 15},
      {"2 to 5: never above the maximum", {{2, 5}}, 2, 5},
      {"exactly 10", {{10, 10}}, 10, 10},
      {"the range with the greatest maximum", {{1, 15}, {7.5, 30}}, 7.5, 10},
      {"equal maxima: the first", {{5, 30}, {1, 30}}, 5, 10},
      {"a later greater maximum wins", {{1, 30}, {24, 60}}, 24, 24},
      {"no ranges", {}, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FrameRate::choose(c.ranges, false), c.idle) << c.what;
    EXPECT_EQ(FrameRate::choose(c.ranges, true), c.high) << c.what;
  }
}

TEST(FrameRate, DurationIsAThousandOverTheTruncatedRateTimesAThousand) {
  EXPECT_EQ(FrameRate::duration(10), (FrameDuration{1000, 10000}));
  EXPECT_EQ(FrameRate::duration(7.5), (FrameDuration{1000, 7500}));
  EXPECT_EQ(FrameRate::duration(29.97), (FrameDuration{1000, 29970}));
  // 2.01 is a little less than 2.01 in binary: the product truncates one lower.
  EXPECT_EQ(FrameRate::duration(2.01), (FrameDuration{1000, 2009}));
  EXPECT_EQ(FrameRate::duration(1.0 / 3), (FrameDuration{1000, 333}));
  EXPECT_EQ(FrameRate::duration(7.5).rate(), 7.5);
  EXPECT_EQ((FrameDuration{}).rate(), 0);
}

}  // namespace
}  // namespace kestrel
