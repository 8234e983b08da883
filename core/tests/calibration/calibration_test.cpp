#include "core/calibration/calibration.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/calibration/calibration_key.hpp"
#include "core/tests/support/posture_frames.hpp"

namespace kestrel {
namespace {

using Calibration::Failure;

constexpr double frameSize = 1000;

using testing::joint;

// A body under a face box centred at (cx, cy): the nose at the centre, the shoulders
// `drop` pixels lower and `width` pixels apart, so the nose ratio is drop ÷ width.
Body bodyAt(double cx, double cy, double drop, double width) {
  return Body{joint(cx, cy), joint(cx, cy - drop / 2), joint(cx - width / 2, cy - drop),
              joint(cx + width / 2, cy - drop)};
}

// One frame of 1000 × 1000 pixels with a square face `height` pixels tall whose lower edge
// lies at `bottom`, and optionally a body with the given nose ratio (shoulders 250 px apart).
Measurements frame(double height, std::optional<double> yaw = 0, std::optional<double> pitch = 0,
                   std::optional<double> noseRatio = std::nullopt, double bottom = 500) {
  Measurements m{frameSize, frameSize, 0.5, {}, {}, {}};
  const Rect box{400, bottom, height, height};
  m.faces.push_back(Face{box, yaw, pitch});
  if (noseRatio) m.bodies.push_back(bodyAt(box.midX(), box.midY(), *noseRatio * 250, 250));
  return m;
}

Measurements empty() { return Measurements{frameSize, frameSize, 0.5, {}, {}, {}}; }

Baseline expectBaseline(const std::vector<Measurements>& frames) {
  const auto result = Calibration::baseline(frames, ScreenRole::laptop, Thresholds{});
  EXPECT_TRUE(std::holds_alternative<Baseline>(result));
  return std::holds_alternative<Baseline>(result) ? std::get<Baseline>(result) : Baseline{};
}

TEST(CalibrationBaseline, FailsWithoutEnoughFacesOrAnyYaw) {
  struct Case {
    const char* what;
    std::vector<Measurements> frames;
  };
  const Measurements flat{0, 0, 0.5, {Face{{1, 1, 1, 1}, 0.0, 0.0}}, {}, {}};
  const Case cases[] = {
      {"two faces in five frames", {frame(300), empty(), frame(300), empty(), empty()}},
      {"faces without yaw", {frame(300, std::nullopt), frame(300, std::nullopt), frame(300, std::nullopt),
                             frame(300, std::nullopt), frame(300, std::nullopt)}},
      {"no frames", {}},
      {"faces in frames of no height", {flat, flat, flat}},
  };
  for (const auto& c : cases) {
    const auto result = Calibration::baseline(c.frames, ScreenRole::laptop, Thresholds{});
    ASSERT_TRUE(std::holds_alternative<Failure>(result)) << c.what;
    EXPECT_EQ(std::get<Failure>(result), Failure::noFace) << c.what;
  }
}

TEST(CalibrationBaseline, ThreeTallestFacesAndOneYawAreEnoughAndAMissingPitchIsZero) {
  // A smaller face listed first is not the user's.
  Measurements withChild = frame(300, 7.0, std::nullopt);
  withChild.faces.insert(withChild.faces.begin(), Face{{0, 0, 100, 100}, -30.0, 0.0});
  const Measurements noAngles = frame(300, std::nullopt, std::nullopt);
  const Baseline b = expectBaseline({withChild, noAngles, noAngles, empty()});
  EXPECT_EQ(b.yaw, 7.0);
  EXPECT_EQ(b.pitch, 0.0);
  EXPECT_DOUBLE_EQ(b.faceHeight, 0.3);
}

TEST(CalibrationBaseline, MediansOfTheFacesThatWereSeen) {
  // Four faces of five frames: even counts take the mean of the two middle values.
  const Baseline b = expectBaseline({frame(300, 10.0, 4.0, std::nullopt, 500), empty(),
                                     frame(320, 2.0, std::nullopt, std::nullopt, 420),
                                     frame(280, 1.0, -2.0, std::nullopt, 500),
                                     frame(290, 4.0, 6.0, std::nullopt, 600)});
  EXPECT_EQ(b.screen, ScreenRole::laptop);
  EXPECT_DOUBLE_EQ(b.yaw, 3.0);           // 1, 2, 4, 10
  EXPECT_DOUBLE_EQ(b.pitch, 4.0);         // -2, 4, 6: pitches only where present
  EXPECT_DOUBLE_EQ(b.faceHeight, 0.295);  // 0.28, 0.29, 0.30, 0.32
  // Centres 0.58, 0.64, 0.65, 0.745.
  ASSERT_TRUE(b.faceCenterY);
  EXPECT_DOUBLE_EQ(*b.faceCenterY, (0.64 + 0.65) / 2);
  EXPECT_EQ(b.noseShoulderRatio, std::nullopt);
  EXPECT_EQ(b.shoulderWidth, std::nullopt);
}

TEST(CalibrationBaseline, ShoulderValuesNeedFourFullBodyReadingsOfFiveFrames) {
  Measurements unsureShoulder = frame(300, 0.0, 0.0, 0.7);
  unsureShoulder.bodies[0].leftShoulder->confidence = 0.29;
  Measurements noseless = frame(300, 0.0, 0.0, 0.7);
  noseless.bodies[0].nose.reset();
  Measurements farBody = frame(300, 0.0, 0.0, std::nullopt);
  farBody.bodies.push_back(bodyAt(50, 50, 175, 250));  // nowhere near the face

  struct Case {
    const char* what;
    std::vector<Measurements> frames;
    bool hasShoulderValues;
  };
  const Measurements full = frame(300, 0.0, 0.0, 0.7);
  const Measurements faceOnly = frame(300, 0.0, 0.0);
  const Case cases[] = {
      {"three of five", {full, full, full, faceOnly, faceOnly}, false},
      {"four of five", {full, full, full, full, faceOnly}, true},
      {"four of five, one frame without a face", {full, full, full, full, empty()}, true},
      {"three of five and a shoulder below the confidence bound", {full, full, full, unsureShoulder, faceOnly}, false},
      {"three of five and a body without nose", {full, full, full, noseless, faceOnly}, false},
      {"three of five and a body away from the face", {full, full, full, farBody, faceOnly}, false},
      {"three of three", {full, full, full}, true},
  };
  for (const auto& c : cases) {
    const Baseline b = expectBaseline(c.frames);
    EXPECT_EQ(b.noseShoulderRatio.has_value(), c.hasShoulderValues) << c.what;
    EXPECT_EQ(b.shoulderWidth.has_value(), c.hasShoulderValues) << c.what;
    if (c.hasShoulderValues && b.noseShoulderRatio && b.shoulderWidth) {
      EXPECT_NEAR(*b.noseShoulderRatio, 0.7, 1e-12) << c.what;
      EXPECT_DOUBLE_EQ(*b.shoulderWidth, 0.25) << c.what;
    }
  }
}

Baseline sitting(double faceHeight = 0.2, std::optional<double> noseRatio = 0.7) {
  return Baseline{ScreenRole::laptop, 0, 0, faceHeight, noseRatio, 0.25, 0.65};
}

TEST(CalibrationReach, GrowthMustReachFivePercent) {
  struct Case {
    double baseHeight;
    double leanPixels;
    bool leaning;
  };
  const Case cases[] = {
      {0.2, 208, false},  // 1.04 times
      {0.2, 210, true},   // exactly 1.05 times, although 0.21 ÷ 0.2 − 1 falls just short in doubles
  };
  for (const auto& c : cases) {
    const auto lean = frame(c.leanPixels);
    const auto result = Calibration::reach({lean, lean, lean, lean, lean}, sitting(c.baseHeight), Thresholds{});
    if (c.leaning) {
      ASSERT_TRUE(std::holds_alternative<Reach>(result)) << c.leanPixels;
      EXPECT_NEAR(std::get<Reach>(result).faceGrowth, 0.05, 1e-9);
    } else {
      ASSERT_TRUE(std::holds_alternative<Failure>(result)) << c.leanPixels;
      EXPECT_EQ(std::get<Failure>(result), Failure::notLeaning);
    }
  }
}

TEST(CalibrationReach, FailsWithoutThreeFacesOrABaselineSize) {
  const auto lean = frame(300);
  struct Case {
    const char* what;
    std::vector<Measurements> frames;
    Baseline base;
  };
  const Case cases[] = {
      {"two faces", {lean, lean, empty(), empty(), empty()}, sitting()},
      {"baseline without a face height", {lean, lean, lean}, sitting(0)},
  };
  for (const auto& c : cases) {
    const auto result = Calibration::reach(c.frames, c.base, Thresholds{});
    ASSERT_TRUE(std::holds_alternative<Failure>(result)) << c.what;
    EXPECT_EQ(std::get<Failure>(result), Failure::noFace) << c.what;
  }
}

TEST(CalibrationReach, GrowthAndNoseDropAreMedians) {
  // Heights 0.22, 0.25, 0.26, 0.30 (median 0.255) against 0.2; nose ratios 0.42, 0.35, 0.56
  // (median 0.42) against 0.7, the face-only frame adding a height but no ratio.
  const auto result = Calibration::reach(
      {frame(220, 0.0, 0.0, 0.42), frame(250, 0.0, 0.0, 0.35), frame(260), frame(300, 0.0, 0.0, 0.56), empty()},
      sitting(0.2, 0.7), Thresholds{});
  ASSERT_TRUE(std::holds_alternative<Reach>(result));
  const Reach r = std::get<Reach>(result);
  EXPECT_NEAR(r.faceGrowth, 0.275, 1e-12);
  EXPECT_NEAR(r.noseDrop, 0.4, 1e-12);
}

TEST(CalibrationReach, NoseDropIsNeverNegativeAndZeroWithoutRatios) {
  Measurements shouldersNoNose = frame(250, 0.0, 0.0, 0.35);
  shouldersNoNose.bodies[0].nose->confidence = 0.1;
  struct Case {
    const char* what;
    Measurements lean;
    Baseline base;
    double noseDrop;
  };
  const Case cases[] = {
      {"nose higher than when sitting well", frame(250, 0.0, 0.0, 0.8), sitting(0.2, 0.7), 0},
      {"baseline without a nose ratio", frame(250, 0.0, 0.0, 0.35), sitting(0.2, std::nullopt), 0},
      {"baseline nose ratio of zero", frame(250, 0.0, 0.0, 0.35), sitting(0.2, 0.0), 0},
      {"no nose while leaning", shouldersNoNose, sitting(0.2, 0.7), 0},
      {"no body while leaning", frame(250), sitting(0.2, 0.7), 0},
      {"half the ratio", frame(250, 0.0, 0.0, 0.35), sitting(0.2, 0.7), 0.5},
  };
  for (const auto& c : cases) {
    const auto result = Calibration::reach({c.lean, c.lean, c.lean}, c.base, Thresholds{});
    ASSERT_TRUE(std::holds_alternative<Reach>(result)) << c.what;
    EXPECT_NEAR(std::get<Reach>(result).noseDrop, c.noseDrop, 1e-12) << c.what;
    EXPECT_NEAR(std::get<Reach>(result).faceGrowth, 0.25, 1e-12) << c.what;
  }
}

Baseline at(double yaw, double faceHeight) { return Baseline{ScreenRole::laptop, yaw, 0, faceHeight, {}, {}, {}}; }

BaselineSet setOf(std::vector<Baseline> baselines) { return BaselineSet{"ID", "cam", std::move(baselines), Reach{}}; }

TEST(CalibrationSlouch, TenPercentTallerInAComparableDirection) {
  struct Case {
    const char* what;
    Baseline fresh;
    std::optional<BaselineSet> previous;
    bool slouched;
  };
  const Case cases[] = {
      {"no previous calibration", at(0, 0.5), std::nullopt, false},
      {"previous set without baselines", at(0, 0.5), setOf({}), false},
      {"exactly 10 % taller", at(0, 0.33), setOf({at(0, 0.30)}), true},
      {"exactly 10 % taller from 0.2", at(0, 0.22), setOf({at(0, 0.20)}), true},
      {"less than 10 % taller", at(0, 0.32), setOf({at(0, 0.30)}), false},
      {"previous yaw 25 degrees away", at(0, 0.5), setOf({at(25, 0.30)}), false},
      {"previous yaw exactly 20 degrees away", at(0, 0.5), setOf({at(-20, 0.30)}), true},
      {"the nearer baseline decides", at(10, 0.33), setOf({at(40, 0.10), at(0, 0.30)}), true},
      {"the nearer baseline decides (not taller)", at(10, 0.33), setOf({at(0, 0.31), at(40, 0.10)}), false},
      {"equally near: the first decides", at(10, 0.33), setOf({at(0, 0.31), at(20, 0.30)}), false},
      {"equally near: the first decides (taller)", at(10, 0.33), setOf({at(20, 0.30), at(0, 0.31)}), true},
  };
  for (const auto& c : cases) EXPECT_EQ(Calibration::looksSlouched(c.fresh, c.previous), c.slouched) << c.what;
}

TEST(CalibrationKey, EscapeCancelsAndSpaceOrReturnStartsWhenEnabled) {
  using CalibrationKey::Action;
  struct Case {
    std::optional<std::string_view> characters;
    int keyCode;
    bool startEnabled;
    std::optional<Action> expected;
  };
  const Case cases[] = {
      {std::nullopt, CalibrationKey::escapeKey, false, Action::cancel},
      {" ", CalibrationKey::spaceKey, true, Action::start},
      {"\r", CalibrationKey::enterKey, true, Action::start},
      {"\r", CalibrationKey::returnKey, false, std::nullopt},
      {std::nullopt, CalibrationKey::returnKey, true, std::nullopt},
      {"  ", CalibrationKey::spaceKey, true, std::nullopt},
      {"\n", CalibrationKey::returnKey, true, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CalibrationKey::action(c.characters, c.keyCode, c.startEnabled), c.expected)
        << c.keyCode << " " << c.startEnabled;
  }
}

}  // namespace
}  // namespace kestrel
