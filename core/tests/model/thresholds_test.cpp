#include "core/model/thresholds.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "core/model/baseline.hpp"

namespace kestrel {
namespace {

TEST(Thresholds, IntervalAdjustmentMatchesTheWorkedTable) {
  struct Row {
    CheckInterval interval;
    std::int64_t headWindow, headBadToRaise, headClearWindow, headClearNeeded, handBadRun, handGoodRun,
        noEvidence, away;
    double borrowAge, maxBorrow;
    const char* id;
  };
  const Row rows[] = {
      {CheckInterval::s15, 5, 4, 3, 2, 2, 2, 4, 4, 45, 300, "t-2026-10-10a"},
      {CheckInterval::s30, 3, 2, 2, 1, 1, 1, 2, 2, 45, 300, "t-2026-10-10a-30s"},
      {CheckInterval::min1, 1, 1, 1, 1, 1, 1, 1, 1, 90, 300, "t-2026-10-10a-60s"},
      {CheckInterval::min2, 1, 1, 1, 1, 1, 1, 1, 1, 180, 300, "t-2026-10-10a-120s"},
      {CheckInterval::min5, 1, 1, 1, 1, 1, 1, 1, 1, 450, 450, "t-2026-10-10a-300s"},
  };
  for (const Row& r : rows) {
    const Thresholds t = Thresholds().applying(r.interval);
    EXPECT_EQ(std::tuple(t.headWindow, t.headBadToRaise, t.headClearWindow, t.headClearNeeded, t.handBadRun,
                         t.handGoodRun, t.noEvidenceChecks, t.awayChecks),
              std::tuple(r.headWindow, r.headBadToRaise, r.headClearWindow, r.headClearNeeded, r.handBadRun,
                         r.handGoodRun, r.noEvidence, r.away))
        << r.id;
    EXPECT_EQ(std::tuple(t.borrowFaceMaxAge, t.maxBorrow, t.id, t.checkInterval),
              std::tuple(r.borrowAge, r.maxBorrow, r.id, seconds(r.interval)))
        << r.id;
    // Burst, geometry and chime delay never move with the cadence.
    EXPECT_EQ(std::tuple(t.burstFrames, t.burstSpacing, t.burstMajority, t.tooCloseFraction, t.chimeAfter),
              std::tuple(3, 0.5, 3, 0.42, 180.0))
        << r.id;
  }
}

TEST(Thresholds, SameIntervalReturnsTheRecordUnchanged) {
  EXPECT_EQ(Thresholds().applying(CheckInterval::s15), Thresholds());
  const Thresholds sixty = Thresholds().applying(CheckInterval::min1);
  EXPECT_EQ(sixty.applying(CheckInterval::min1), sixty);
}

TEST(Thresholds, ScaledRoundsHalvesAwayFromZeroAndNeverBelowOne) {
  struct Case {
    std::int64_t count;
    double from, to;
    std::int64_t expected;
  };
  const Case cases[] = {
      {5, 15, 30, 3},   // 2.5 → 3
      {3, 15, 30, 2},   // 1.5 → 2
      {1, 15, 30, 1},   // 0.5 → 1
      {4, 15, 60, 1},   // exactly 1
      {1, 15, 300, 1},  // 0.05 raised to 1
      {7, 15, 10, 11},  // 10.5 → 11 when the interval shrinks
  };
  for (const Case& c : cases) EXPECT_EQ(Thresholds::scaled(c.count, c.from, c.to), c.expected) << c.count;
}

TEST(Thresholds, WindowIsNeverShorterThanWhatItMustHold) {
  Thresholds t;
  t.headWindow = 4;  // 4 × 15 / 30 = 2, but the bad count 6 × 15 / 30 = 3
  t.headBadToRaise = 6;
  t.headClearWindow = 1;
  t.headClearNeeded = 3;
  const Thresholds s = t.applying(CheckInterval::s30);
  EXPECT_EQ(std::tuple(s.headBadToRaise, s.headWindow, s.headClearNeeded, s.headClearWindow), std::tuple(3, 3, 2, 2));
}

TEST(Thresholds, SensitivityScalesOnlyTheTooCloseFractions) {
  struct Case {
    Sensitivity s;
    double factor;
    const char* id;
  };
  const Case cases[] = {{Sensitivity::relaxed, 1.3, "t-2026-10-10a-relaxed"},
                        {Sensitivity::normal, 1.0, "t-2026-10-10a"},
                        {Sensitivity::strict, 0.75, "t-2026-10-10a-strict"}};
  for (const Case& c : cases) {
    Thresholds expected;
    expected.tooCloseFraction = 0.42 * c.factor;
    expected.tooCloseAloneFraction = 0.83 * c.factor;
    expected.id = c.id;
    EXPECT_EQ(Thresholds().applying(c.s), expected) << c.id;
  }
  // Not idempotent: twice relaxed multiplies by 1.69 and appends the suffix twice.
  const Thresholds twice = Thresholds().applying(Sensitivity::relaxed).applying(Sensitivity::relaxed);
  EXPECT_EQ(twice.tooCloseFraction, 0.42 * 1.3 * 1.3);
  EXPECT_EQ(twice.id, "t-2026-10-10a-relaxed-relaxed");
  EXPECT_EQ(Thresholds().applying(Sensitivity::strict).applying(CheckInterval::min1).id, "t-2026-10-10a-strict-60s");
}

TEST(Thresholds, JsonRoundTripAndEveryKeyRequired) {
  const Thresholds t = Thresholds().applying(Sensitivity::strict).applying(CheckInterval::s30);
  const Json j = t;
  EXPECT_EQ(j.size(), 36u);
  EXPECT_TRUE(j["headWindow"].is_number_integer());
  EXPECT_TRUE(j["checkInterval"].is_number_float());
  EXPECT_EQ(decode<Thresholds>(Json::parse(j.dump())), t);
  for (const auto& [key, value] : j.items()) {
    Json missing = j;
    missing.erase(key);
    EXPECT_EQ(decode<Thresholds>(missing), std::nullopt) << "without " << key;
  }
  Json realCount = j;
  realCount["awayChecks"] = 2.5;
  EXPECT_EQ(decode<Thresholds>(realCount), std::nullopt);
  Json boolReal = j;
  boolReal["minLuma"] = true;
  EXPECT_EQ(decode<Thresholds>(boolReal), std::nullopt);
}

TEST(BaselineSet, NearestTakesTheFirstOfEquals) {
  const Baseline left{ScreenRole::laptop, 0, 0, 0.3, std::nullopt, std::nullopt, std::nullopt};
  const Baseline right{ScreenRole::sideMonitor, 20, 0, 0.3, std::nullopt, std::nullopt, std::nullopt};
  const BaselineSet set("A", "cam", {left, right}, Reach{0.3, 0.4});
  EXPECT_EQ(set.nearest(10), left);
  EXPECT_EQ(set.nearest(10.001), right);
  EXPECT_EQ(set.nearest(-50), left);
  EXPECT_EQ(BaselineSet("A", "cam", {}, Reach{}).nearest(0), std::nullopt);
}

TEST(BaselineSet, JsonFormAndStandIn) {
  const BaselineSet standIn = BaselineSet::standIn();
  EXPECT_EQ(Json(standIn).dump(),
            R"({"baselines":[{"faceHeight":0.3,"noseShoulderRatio":0.7,"pitch":0.0,"screen":"laptop",)"
            R"("shoulderWidth":0.25,"yaw":0.0}],"cameraID":"","id":"perf","reach":{"faceGrowth":0.3,"noseDrop":0.4},)"
            R"("schema":3})");
  EXPECT_EQ(decode<BaselineSet>(Json(standIn)), standIn);

  const Baseline bare{ScreenRole::sideMonitor, 3, -2, 0.25, std::nullopt, std::nullopt, 0.5};
  const Json bj = bare;
  EXPECT_FALSE(bj.contains("noseShoulderRatio"));
  EXPECT_FALSE(bj.contains("shoulderWidth"));
  EXPECT_EQ(bj["screen"], "side_monitor");
  EXPECT_EQ(decode<Baseline>(bj), bare);

  Json noReach = standIn;
  noReach.erase("reach");
  EXPECT_EQ(decode<BaselineSet>(noReach), std::nullopt);
  Json badScreen = standIn;
  badScreen["baselines"][0]["screen"] = "desk";
  EXPECT_EQ(decode<BaselineSet>(badScreen), std::nullopt);
}

}  // namespace
}  // namespace kestrel
