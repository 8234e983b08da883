#include "core/judgement/head_chin_geometry.hpp"

#include <gtest/gtest.h>
#include "core/tests/support/posture_frames.hpp"

namespace kestrel {
namespace {

using HeadChinGeometry::BodyRatios;

using testing::joint;

// Shoulders 100 px apart on y = 0 with the nose 70 px above: nose ratio 0.7.
Body uprightBody() { return Body{joint(50, 70), joint(50, 20), joint(0, 0), joint(100, 0)}; }

TEST(BodyRatios, Cases) {
  struct Case {
    const char* name;
    Body body;
    BodyRatios expected;
  };
  Body leftUnsure = uprightBody();
  leftUnsure.leftShoulder->confidence = 0.29;
  Body leftAtBound = uprightBody();
  leftAtBound.leftShoulder->confidence = 0.3;
  Body rightMissing = uprightBody();
  rightMissing.rightShoulder.reset();
  Body sameShoulders = uprightBody();
  sameShoulders.rightShoulder = joint(0, 0);
  Body noseUnsure = uprightBody();
  noseUnsure.nose->confidence = 0.29;
  // Shoulder line through the origin along (30, 40): width 50, nose 50 px off the line.
  const Body tilted{joint(-40, 30), std::nullopt, joint(0, 0), joint(30, 40)};

  const Case cases[] = {
      {"left shoulder below the confidence bound", leftUnsure, {false, true, std::nullopt, std::nullopt}},
      {"left shoulder exactly at the bound", leftAtBound, {true, true, 0.7, 100.0}},
      {"right shoulder missing", rightMissing, {false, true, std::nullopt, std::nullopt}},
      {"both shoulders at one point", sameShoulders, {true, true, std::nullopt, std::nullopt}},
      {"nose below the confidence bound", noseUnsure, {true, false, std::nullopt, 100.0}},
      {"tilted shoulders", tilted, {true, true, 1.0, 50.0}},
      {"empty body", Body{}, {false, false, std::nullopt, std::nullopt}},
  };
  for (const auto& c : cases) EXPECT_EQ(HeadChinGeometry::bodyRatios(c.body, Thresholds{}), c.expected) << c.name;
}

Baseline faceOnlyBaseline() { return Baseline{ScreenRole::laptop, 0, 0, 0.3, std::nullopt, std::nullopt, std::nullopt}; }

Baseline shoulderBaseline() { return Baseline{ScreenRole::laptop, 0, 0, 0.3, 0.7, 0.25, std::nullopt}; }

TEST(HeadLimits, ReachIsHeldWithinItsBounds) {
  struct Case {
    Reach reach;
    double growth;  // as used: face growth raised to 0.2 and lowered to 0.6
    double drop;    // as used: nose drop raised to 0.4 and lowered to 0.6
  };
  const Case cases[] = {{{0.1, 0.1}, 0.2, 0.4}, {{0.9, 0.75}, 0.6, 0.6}, {{0.3, 0.5}, 0.3, 0.5}};
  for (const auto& c : cases) {
    const auto l = HeadChinGeometry::limits(shoulderBaseline(), c.reach, Thresholds{});
    EXPECT_DOUBLE_EQ(l.tooCloseWithRise, (1 + 0.42 * c.growth) * 0.3) << c.growth;
    EXPECT_DOUBLE_EQ(l.tooCloseAlone, (1 + 0.83 * c.growth) * 0.3) << c.growth;
    EXPECT_DOUBLE_EQ(l.clearWithRise, (1 + 0.42 * 0.85 * c.growth) * 0.3) << c.growth;
    EXPECT_DOUBLE_EQ(l.clearAlone, (1 + 0.83 * 0.85 * c.growth) * 0.3) << c.growth;
    ASSERT_TRUE(l.headForwardNose && l.clearNose);
    EXPECT_DOUBLE_EQ(*l.headForwardNose, (1 - 0.5 * c.drop) * 0.7) << c.drop;
    EXPECT_DOUBLE_EQ(*l.clearNose, (1 - 0.35 * c.drop) * 0.7) << c.drop;
  }
}

HeadResult judge(double faceHeight, const BodyRatios& ratios, const Baseline& baseline,
                 std::optional<double> faceCenterY = std::nullopt, std::optional<double> pitch = std::nullopt,
                 const Thresholds& t = Thresholds{}) {
  return HeadChinGeometry::head(faceHeight, faceCenterY, pitch, ratios, baseline, Reach{0.1, 0.1}, t);
}

const BodyRatios noBody{};
BodyRatios shoulders(double q) { return BodyRatios{true, true, q, 100.0}; }

constexpr auto good = HeadVerdict::good;
constexpr auto bad = HeadVerdict::bad;
constexpr auto faceOnly = HeadBasis::faceOnly;
constexpr auto onShoulders = HeadBasis::shoulders;

TEST(Head, FaceSizeAloneOnTheFaceOnlyBasis) {
  const Baseline b = faceOnlyBaseline();
  const auto l = HeadChinGeometry::limits(b, Reach{0.1, 0.1}, Thresholds{});
  struct Case {
    double faceHeight;
    HeadResult expected;
  };
  const Case cases[] = {
      {l.tooCloseAlone, {bad, HeadCause::tooClose, faceOnly, std::nullopt, false}},
      {0.345, {good, std::nullopt, faceOnly, std::nullopt, false}},  // hysteresis band
      {l.clearAlone, {good, std::nullopt, faceOnly, std::nullopt, false}},
      {0.342, {good, std::nullopt, faceOnly, std::nullopt, true}},
  };
  for (const auto& c : cases) EXPECT_EQ(judge(c.faceHeight, noBody, b), c.expected) << c.faceHeight;
}

TEST(Head, RiseLowersTheSizeLimits) {
  // Binary-exact values: baseline face 0.25 tall centred at 0.5; a rise of 0.5 makes a face too
  // close with rise, and a rise of 0.375 (0.5 × 0.75) keeps it out of the clear band.
  Thresholds t;
  t.minFaceRise = 0.5;
  t.tooCloseClearScale = 0.75;
  Baseline b = faceOnlyBaseline();
  b.faceHeight = 0.25;
  b.faceCenterY = 0.5;
  const auto l = HeadChinGeometry::limits(b, Reach{0.1, 0.1}, t);
  // Above the too-close-with-rise limit yet clear without a rise.
  const double between = (l.tooCloseWithRise + l.clearAlone) / 2;
  const double inClearBand = (l.clearWithRise + l.tooCloseWithRise) / 2;
  ASSERT_LT(l.tooCloseWithRise, between);
  ASSERT_LT(between, l.clearAlone);
  ASSERT_LT(l.clearWithRise, inClearBand);
  struct Case {
    const char* name;
    double faceHeight;
    std::optional<double> faceCenterY;
    std::optional<double> centreAtCalibration;
    HeadResult expected;
  };
  const Case cases[] = {
      {"risen exactly enough", between, 0.625, 0.5, {bad, HeadCause::tooClose, faceOnly, std::nullopt, false}},
      {"risen a little less", between, 0.62, 0.5, {good, std::nullopt, faceOnly, std::nullopt, false}},
      {"no centre given", between, std::nullopt, 0.5, {good, std::nullopt, faceOnly, std::nullopt, true}},
      {"no calibrated centre", between, 0.625, std::nullopt, {good, std::nullopt, faceOnly, std::nullopt, true}},
      {"dropped", between, 0.25, 0.5, {good, std::nullopt, faceOnly, std::nullopt, true}},
      {"clear band, risen exactly the clear rise", inClearBand, 0.59375, 0.5,
       {good, std::nullopt, faceOnly, std::nullopt, false}},
      {"clear band, risen less", inClearBand, 0.59, 0.5, {good, std::nullopt, faceOnly, std::nullopt, true}},
  };
  for (const auto& c : cases) {
    Baseline withCentre = b;
    withCentre.faceCenterY = c.centreAtCalibration;
    EXPECT_EQ(HeadChinGeometry::head(c.faceHeight, c.faceCenterY, std::nullopt, noBody, withCentre, Reach{0.1, 0.1}, t),
              c.expected)
        << c.name;
  }
}

TEST(Head, NoRiseWithoutACalibratedFaceHeight) {
  const Baseline b{ScreenRole::laptop, 0, 0, 0, std::nullopt, std::nullopt, 0.5};
  // Every limit is 0, so the face is too close by size alone; the rise (a division by zero) plays no part.
  EXPECT_EQ(judge(0.2, noBody, b, 0.9), (HeadResult{bad, HeadCause::tooClose, faceOnly, std::nullopt, false}));
}

TEST(Head, NoseRatioOnTheShouldersBasis) {
  const Baseline b = shoulderBaseline();
  const auto l = HeadChinGeometry::limits(b, Reach{0.1, 0.1}, Thresholds{});
  const double forward = *l.headForwardNose;  // 0.56
  const double clearNose = *l.clearNose;      // 0.602
  struct Case {
    const char* name;
    double faceHeight;
    double q;
    HeadResult expected;
  };
  const Case cases[] = {
      {"exactly the clear nose ratio", 0.3, clearNose, {good, std::nullopt, onShoulders, std::nullopt, true}},
      {"between the nose limits", 0.3, 0.58, {good, std::nullopt, onShoulders, std::nullopt, false}},
      {"exactly the forward ratio", 0.3, forward, {bad, HeadCause::headForward, onShoulders, std::nullopt, false}},
      {"forward beats too close", 0.5, 0.3, {bad, HeadCause::headForward, onShoulders, std::nullopt, false}},
      {"too close with the head back is leaning in", 0.35, 0.7,
       {bad, HeadCause::leanIn, onShoulders, std::nullopt, false}},
      {"size band with the head back", 0.345, 0.7, {good, std::nullopt, onShoulders, std::nullopt, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(judge(c.faceHeight, shoulders(c.q), b), c.expected) << c.name;
}

TEST(Head, ShouldersBasisNeedsEveryPiece) {
  const HeadResult tooClose{bad, HeadCause::tooClose, faceOnly, std::nullopt, false};
  // A perfect body against a baseline without a nose ratio.
  EXPECT_EQ(judge(0.35, shoulders(0.7), faceOnlyBaseline()), tooClose);
  // Shoulders but no ratios (both shoulders at one point).
  EXPECT_EQ(judge(0.35, BodyRatios{true, true, std::nullopt, std::nullopt}, shoulderBaseline()), tooClose);
  // A ratio without a usable nose or shoulders never counts.
  EXPECT_EQ(judge(0.35, BodyRatios{false, true, 0.7, 100.0}, shoulderBaseline()), tooClose);
  EXPECT_EQ(judge(0.35, BodyRatios{true, false, 0.7, 100.0}, shoulderBaseline()), tooClose);
  // On the face-only basis a low nose ratio is no evidence.
  EXPECT_EQ(judge(0.3, BodyRatios{true, false, 0.1, 100.0}, shoulderBaseline()),
            (HeadResult{good, std::nullopt, faceOnly, std::nullopt, true}));
}

TEST(Head, LookingDown) {
  Baseline b = faceOnlyBaseline();
  b.pitch = -5;
  const auto lookingDown = [](HeadBasis basis, bool clearOK) {
    return HeadResult{HeadVerdict::inconclusive, std::nullopt, basis, InconclusiveReason::lookingDown, clearOK};
  };
  const HeadResult fine{good, std::nullopt, faceOnly, std::nullopt, true};
  EXPECT_EQ(judge(0.3, noBody, b, std::nullopt, 10.0), fine);  // difference exactly 15
  EXPECT_EQ(judge(0.3, noBody, b, std::nullopt, 10.5), lookingDown(faceOnly, true));
  EXPECT_EQ(judge(0.3, noBody, b, std::nullopt, -20.5), lookingDown(faceOnly, true));
  EXPECT_EQ(judge(0.3, noBody, b, std::nullopt, std::nullopt), fine);
  // The band's clearOK is carried; a bad head is never hidden by the pitch.
  EXPECT_EQ(judge(0.345, noBody, b, std::nullopt, 40.0), lookingDown(faceOnly, false));
  EXPECT_EQ(judge(0.35, noBody, b, std::nullopt, 40.0),
            (HeadResult{bad, HeadCause::tooClose, faceOnly, std::nullopt, false}));
  Baseline withNose = shoulderBaseline();
  withNose.pitch = -5;
  EXPECT_EQ(judge(0.3, shoulders(0.58), withNose, std::nullopt, 30.0), lookingDown(onShoulders, false));
}

TEST(ChinRegion, StraddlesTheLowerEdgeOfTheFace) {
  const Rect frame{0, 0, 640, 480};
  const Thresholds t;
  EXPECT_EQ(HeadChinGeometry::chinRegion({100, 200, 100, 100}, frame, t), (Rect{70, 165, 160, 80}));
  // A face at the frame's lower edge: cut at y = 0.
  EXPECT_EQ(HeadChinGeometry::chinRegion({100, 10, 100, 100}, frame, t), (Rect{70, 0, 160, 55}));
}

Hand handWith(std::vector<Joint> joints) { return Hand{std::move(joints)}; }

TEST(HandAtChin, CountsUsableJointsOfOneHand) {
  const Thresholds t;
  const Rect region{70, 165, 160, 80};
  const Joint in = joint(100, 200);
  const Joint out = joint(10, 10);
  struct Case {
    const char* name;
    std::vector<Hand> hands;
    bool expected;
  };
  const Case cases[] = {
      {"an empty hand", {Hand{}}, false},
      {"three joints in", {handWith({in, in, in, out})}, true},
      {"two joints in", {handWith({in, in, out, out})}, false},
      {"two and two in different hands", {handWith({in, in}), handWith({in, in})}, false},
      {"the second hand has three", {handWith({in, out}), handWith({in, in, in})}, true},
      {"one joint below the confidence bound", {handWith({in, in, joint(100, 200, 0.29)})}, false},
      {"one joint exactly at the bound", {handWith({in, in, joint(100, 200, 0.3)})}, true},
      {"joints on the region's corners",
       {handWith({joint(70, 165), joint(230, 245), joint(70, 245)})}, true},
      {"joints just outside the edges",
       {handWith({joint(69.999, 200), joint(230.001, 200), joint(100, 245.001), joint(100, 164.999)})}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(HeadChinGeometry::handAtChin(c.hands, region, t), c.expected) << c.name;
}

}  // namespace
}  // namespace kestrel
