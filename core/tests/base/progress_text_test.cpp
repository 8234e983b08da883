#include "core/base/progress_text.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

Progress progress(std::int64_t done, std::optional<std::int64_t> total, double elapsed) {
  return Progress{done, total, elapsed, "frames"};
}

TEST(ProgressText, BarLineAsTheJobAdvances) {
  struct Case {
    Progress progress;
    std::string line;
  };
  const Case cases[] = {
      // Time passed but nothing finished: no rate, no time left.
      {progress(0, 1000, 3.0), "[..........]   0%  0/1000 frames  -- fps  -:-- left"},
      // 550 frames at 28.30 fps are 19.4 s: rounded up.
      {progress(450, 1000, 15.9), "[####......]  45%  450/1000 frames  28.3 fps  0:20 left"},
      // Exactly 20 s to go stays 20 s.
      {progress(500, 1000, 20.0), "[#####.....]  50%  500/1000 frames  25.0 fps  0:20 left"},
      // Bar and percentage round down: full and 100% only when everything is done.
      {progress(999, 1000, 999.0), "[#########.]  99%  999/1000 frames  1.0 fps  0:01 left"},
      {progress(1000, 1000, 40.0), "[##########] 100%  1000/1000 frames  25.0 fps  0:00 left"},
      // Done leaves no time, even without a rate.
      {progress(10, 10, 0.0), "[##########] 100%  10/10 frames  -- fps  0:00 left"},
      // The container's frame count was an underestimate.
      {progress(1003, 1000, 40.0), "[##########] 100%  1003/1000 frames  25.1 fps  0:00 left"},
      // An hour and more to go.
      {progress(10, 100000, 1.0), "[..........]   0%  10/100000 frames  10.0 fps  2:46:39 left"},
      // Unknown totals: just the count and the rate.
      {progress(450, std::nullopt, 15.9), "450 frames  28.3 fps"},
      {progress(450, 0, 0.0), "450 frames  -- fps"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.progress.line(10), c.line);
  EXPECT_EQ(progress(1, 3, 1.0).line(4), "[#...]  33%  1/3 frames  1.0 fps  0:02 left");
  EXPECT_EQ(progress(1, 3, 1.0).line(-3), "[]  33%  1/3 frames  1.0 fps  0:02 left");
}

TEST(ProgressText, Summary) {
  EXPECT_EQ(progress(1000, 1000, 35.5).summary(), "1000 frames in 0:36 (28.2 fps)");  // half a second rounds up
  EXPECT_EQ(progress(1000, 1000, 35.49).summary(), "1000 frames in 0:35 (28.2 fps)");
  EXPECT_EQ(progress(0, 1000, 0.0).summary(), "0 frames in 0:00");
  EXPECT_EQ(progress(30, std::nullopt, 3725.0).summary(), "30 frames in 1:02:05 (0.0 fps)");
  EXPECT_EQ((Progress{3, 3, 1.5, "files"}).summary(), "3 files in 0:02 (2.0 files/s)");
}

TEST(ProgressText, ClockText) {
  const std::pair<std::int64_t, const char*> cases[] = {
      {0, "0:00"},       {9, "0:09"},         {59, "0:59"},          {60, "1:00"},  {3599, "59:59"},
      {3600, "1:00:00"}, {3661, "1:01:01"},   {36000, "10:00:00"},   {-5, "0:00"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(clockText(seconds), text) << seconds;
}

}  // namespace
}  // namespace kestrel
