#include "core/log/score.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/log/check_line.hpp"
#include "core/log/score_line.hpp"
#include "core/tests/support/log_builders.hpp"

namespace kestrel {
namespace {

using testing::scoredLine;

constexpr auto good = HeadVerdict::good;
constexpr auto bad = HeadVerdict::bad;
constexpr auto inconclusive = HeadVerdict::inconclusive;

TEST(Score, WhichChecksCountAndWhichAreGood) {
  struct Case {
    const char* name;
    CheckLine line;
    bool scored;
    bool isGood;
  };
  const Case cases[] = {
      {"good head, good hand", scoredLine(good, HandVerdict::good), true, true},
      {"good head, snoozed hand", scoredLine(good, HandVerdict::snoozed), true, true},
      {"good head, no hand verdict", scoredLine(good, std::nullopt), true, false},
      {"good head, bad hand", scoredLine(good, HandVerdict::bad), true, false},
      {"good head, mixed hand", scoredLine(good, HandVerdict::mixed), false, false},
      {"bad head, good hand", scoredLine(bad, HandVerdict::good), true, false},
      {"inconclusive head", scoredLine(inconclusive, HandVerdict::good), false, false},
      {"no head", scoredLine(std::nullopt, HandVerdict::good), false, false},
      {"skipped", scoredLine(good, HandVerdict::good, SkipReason::dark), false, false},
      {"stale", scoredLine(good, HandVerdict::good, std::nullopt, true), false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.line.isScored(), c.scored) << c.name;
    EXPECT_EQ(c.line.isGood(), c.isGood) << c.name;
  }
}

std::vector<CheckLine> lines(int goodCount, int badCount) {
  std::vector<CheckLine> result;
  for (int i = 0; i < goodCount; ++i) result.push_back(scoredLine(good, HandVerdict::good));
  for (int i = 0; i < badCount; ++i) result.push_back(scoredLine(bad, HandVerdict::good));
  return result;
}

TEST(Score, PercentRoundsHalvesAwayFromZero) {
  struct Case {
    int good;
    int bad;
    std::optional<std::int64_t> percent;
  };
  const Case cases[] = {
      {0, 0, std::nullopt}, {2, 1, 67}, {1, 2, 33}, {1, 7, 13}, {7, 1, 88}, {1, 1, 50}, {0, 5, 0},
      {5, 0, 100}, {1, 199, 1}, {1, 200, 0}, {199, 1, 100}, {397, 3, 99}, {2, 398, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Score::percent(lines(c.good, c.bad)), c.percent) << c.good << " of " << c.good + c.bad;
  }
}

TEST(Score, UnscoredChecksAreLeftOut) {
  std::vector<CheckLine> day = lines(1, 1);
  day.push_back(scoredLine(good, HandVerdict::mixed));
  day.push_back(scoredLine(inconclusive, std::nullopt));
  day.push_back(scoredLine(good, HandVerdict::good, SkipReason::noFace));
  EXPECT_EQ(Score::percent(day), 50);
  // Only unscored checks: no score.
  EXPECT_EQ(Score::percent(std::vector<CheckLine>{scoredLine(good, HandVerdict::good, std::nullopt, true)}),
            std::nullopt);
  EXPECT_EQ(Score::percent(std::vector<ScoreLine>{ScoreLine{2, std::nullopt, testing::goodHead(), HandVerdict::snoozed, false}}),
            100);
}

}  // namespace
}  // namespace kestrel
