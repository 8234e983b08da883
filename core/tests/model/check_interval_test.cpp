#include "core/model/check_interval.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CheckInterval, PhraseOfAnyNumberOfSeconds) {
  struct Case {
    Seconds seconds;
    const char* phrase;
  };
  const Case cases[] = {
      {90, "every 90 seconds"},     {120, "every 2 minutes"},     {59.5, "every minute"},  {60.49, "every minute"},
      {60.5, "every 61 seconds"},   {59.49, "every 59 seconds"},  {119.5, "every 2 minutes"}, {0, "every 0 seconds"},
  };
  for (const auto& c : cases) EXPECT_EQ(phrase(c.seconds), c.phrase) << c.seconds;
}

}  // namespace
}  // namespace kestrel
