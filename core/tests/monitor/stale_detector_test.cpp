#include "core/monitor/stale_detector.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"

namespace kestrel {
namespace {

using namespace testing;

// A judged check whose face is `face` times and whose shoulders are `shoulders` times as
// large as at calibration.
CheckResult sized(double face, std::optional<double> shoulders = std::nullopt, HeadResult head = good()) {
  CheckResult c = judged(head);
  c.baseline = Baseline{};
  c.baseline->faceHeight = 0.5;
  c.baseline->shoulderWidth = 0.25;
  c.faceHeightRatio = 0.5 * face;
  if (shoulders) c.shoulderWidthRatio = 0.25 * *shoulders;
  return c;
}

// Records `n` copies of a check one second apart from `start`; the answers in order.
std::vector<std::optional<bool>> feed(StaleDetector& d, const CheckResult& c, int n, Instant start = 0) {
  std::vector<std::optional<bool>> out;
  for (int i = 0; i < n; ++i) out.push_back(d.record(c, start + i));
  return out;
}

TEST(StaleDetector, SmallerFaceAloneNeedsAFullWindow) {
  StaleDetector d;
  EXPECT_EQ(feed(d, sized(0.7), 39), std::vector<std::optional<bool>>(39));
  EXPECT_EQ(d.record(sized(0.7), 39), true);
  EXPECT_TRUE(d.isStale);
  EXPECT_EQ(d.record(sized(0.7), 40), std::nullopt);
}

TEST(StaleDetector, LargerFaceOrFrequentShouldersNeedBothToAgree) {
  struct Case {
    const char* name;
    double face;
    std::optional<double> shoulders;
    int withShoulders;  // how many of the 40 checks carry the shoulder value
    bool stale;
  };
  const Case cases[] = {
      {"larger face, no shoulders", 1.3, std::nullopt, 0, false},
      {"larger face, shoulders agree", 1.3, 1.3, 40, true},
      {"larger face, shoulders as calibrated", 1.3, 1.0, 40, false},
      {"smaller face, shoulders as calibrated", 0.7, 1.0, 40, false},
      {"smaller face, shoulders smaller too", 0.7, 0.75, 40, true},
      {"smaller face, shoulders seen too rarely to count", 0.7, 1.0, 39, true},
      {"face at the lower bound is fine", 0.8, std::nullopt, 0, false},
      {"face and shoulders at the upper bound are fine", 1.25, 1.25, 40, false},
  };
  for (const auto& c : cases) {
    StaleDetector d;
    for (int i = 0; i < 40; ++i) d.record(sized(c.face, i < c.withShoulders ? c.shoulders : std::nullopt), i);
    EXPECT_EQ(d.isStale, c.stale) << c.name;
    EXPECT_EQ(d.evaluate(), c.stale) << c.name;
  }
}

TEST(StaleDetector, NearlyEveryCheckLeaningInIsStale) {
  for (const auto& [leaning, stale] : {std::pair{37, true}, std::pair{36, false}}) {
    StaleDetector d;
    feed(d, sized(1.0), 40 - leaning);
    for (int i = 0; i < leaning; ++i) {
      d.record(sized(1.0, std::nullopt, bad(i % 2 ? HeadCause::leanIn : HeadCause::tooClose)), 100 + i);
    }
    EXPECT_EQ(d.isStale, stale) << leaning;
    // Leaning checks never add size samples.
    EXPECT_EQ(d.samples.size(), static_cast<std::size_t>(40 - leaning));
    EXPECT_EQ(d.leanIn.size(), 40u);
  }
}

TEST(StaleDetector, HeadForwardIsNotLeaningIn) {
  StaleDetector d;
  feed(d, sized(1.0, std::nullopt, bad(HeadCause::headForward)), 40);
  EXPECT_FALSE(d.isStale);
  EXPECT_EQ(d.samples.size(), 40u);
}

TEST(StaleDetector, UnjudgedChecksAddNothingButStillPrune) {
  StaleDetector d;
  feed(d, sized(0.7), 40);  // samples at 0 … 39, stale from the 40th
  ASSERT_TRUE(d.isStale);
  CheckResult noBaseline = sized(0.7);
  noBaseline.baseline.reset();
  const std::vector<bool> leanBefore = d.leanIn;

  // A sample exactly `span` old is kept.
  EXPECT_EQ(d.record(sized(0.7, std::nullopt, inconclusive(InconclusiveReason::lookingDown)), 1200), std::nullopt);
  EXPECT_EQ(d.samples.size(), 40u);
  // Just past it the first sample leaves, and the window is one short.
  EXPECT_EQ(d.record(noBaseline, 1200.5), false);
  EXPECT_EQ(d.samples.size(), 39u);
  EXPECT_EQ(d.leanIn, leanBefore);
}

TEST(StaleDetector, ShoulderRatioNeedsAUsableBaselineWidth) {
  StaleDetector d;
  CheckResult c = sized(1.0, 1.0);
  c.baseline->shoulderWidth = 0;
  d.record(c, 0);
  c.baseline->shoulderWidth.reset();
  d.record(c, 1);
  d.record(sized(1.0, 1.0), 2);
  CheckResult flat = sized(1.0);
  flat.baseline->faceHeight = 0;
  d.record(flat, 3);  // no sample without a baseline face height
  ASSERT_EQ(d.samples.size(), 3u);
  EXPECT_EQ(d.samples[0].shoulderRatio, std::nullopt);
  EXPECT_EQ(d.samples[1].shoulderRatio, std::nullopt);
  EXPECT_EQ(d.samples[2], (StaleDetector::Sample{2, 1.0, 1.0}));
}

}  // namespace
}  // namespace kestrel
