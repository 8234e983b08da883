#include "app/calibration_controller.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "app/tests/controller_rig.hpp"
#include "core/calibration/calibration_key.hpp"
#include "core/calibration/calibration_window.hpp"

namespace kestrel {
namespace {

using testing::ControllerRig;
using testing::RecordingDesktop;
using Lines = std::vector<std::string>;
using Calibration::Step;

const std::string sitWellPrompt(CalibrationWindowText::prompt(Step::sitWell));
const std::string leanInPrompt(CalibrationWindowText::prompt(Step::leanIn));
const std::string cameraStopped(Calibration::cameraStoppedMessage);

// The calibration window in simulated time: the controller on a fake camera whose frames
// the scripted analysis turns into `rig.scene`.
struct CalibrationRig {
  ControllerRig rig;

  // Without a calibration the window opens at start; with one, from the menu.
  explicit CalibrationRig(bool calibrated = false) : rig({}, calibrated) {
    rig.start();
    if (calibrated) {
      rig.controller->choose(MenuItemId::calibrate);
      rig.settle();
    }
  }

  RecordingDesktop& desktop() { return rig.desktop; }
  void press(std::optional<std::string> characters, int keyCode) {
    rig.desktop.calibrationActions.key(std::move(characters), keyCode);
    rig.settle();
  }
  void space() { press(" ", CalibrationKey::spaceKey); }
  // Start, the countdown of three seconds and the capture of five frames a quarter apart.
  void captureStep(const Measurements& scene) {
    rig.scene = scene;
    space();
    rig.advance(3);
    rig.advance(2);
  }
  // The window's screens as "step: message [Start title] on|off", from `from` on.
  Lines screens(std::size_t from = 0) const {
    Lines out;
    const auto& all = rig.desktop.calibrationScreens;
    for (std::size_t i = from; i < all.size(); ++i) {
      const CalibrationScreen& s = all[i];
      out.push_back(std::string(toText(s.step)) + ": " + s.message + " [" + s.startTitle + "] " +
                    (s.startEnabled ? "on" : "off"));
    }
    return out;
  }
  std::string screen() const { return screens().back(); }
  std::optional<BaselineSet> stored() const { return BaselineStore{rig.paths().baselines()}.load(); }
};

// The baseline and reach that `sitting()` and `leaning()` give: a face 0.3 of the frame tall
// centred at 0.55, the nose 200 px above shoulders 300 px apart; leaning in, a face 0.4 tall
// and the nose 80 px above shoulders 340 px apart.
const Baseline sittingBaseline{ScreenRole::laptop, 0, 0, 300.0 / 1000, 200.0 / 300, 300.0 / 1000, 550.0 / 1000};
constexpr double leaningGrowth = 0.4 / 0.3 - 1;
constexpr double leaningNoseDrop = 11.0 / 17;  // 1 − (80 / 340) ÷ (200 / 300)

TEST(CalibrationController, SitsWellThenLeansInAndSavesASetMadeOfTheFrames) {
  CalibrationRig c;
  // The camera runs for the window's picture, but nothing is judged while calibrating.
  c.rig.advance(180);
  EXPECT_EQ(c.screens(), Lines{"sitWell: " + sitWellPrompt + " [Start] on"});
  EXPECT_TRUE(c.rig.logged("calibration window shown step=sitWell"));
  EXPECT_EQ(c.rig.camera->starts(), 1);
  EXPECT_EQ(c.rig.dayLines(testing::noon), (Lines{"event launch", "event calibration_start"}));

  c.captureStep(testing::sitting());
  EXPECT_EQ(c.screens(), (Lines{"sitWell: " + sitWellPrompt + " [Start] on", "sitWell: 3… [Start] off",
                                "sitWell: 2… [Start] off", "sitWell: 1… [Start] off", "sitWell: Hold still… [Start] off",
                                "leanIn: " + leanInPrompt + " [Start] on"}));
  EXPECT_TRUE(c.rig.logged("calibration window shown step=leanIn"));
  ASSERT_NE(c.rig.controller->calibration(), nullptr);
  EXPECT_EQ(c.rig.controller->calibration()->captured(), std::vector<Baseline>{sittingBaseline});

  c.captureStep(testing::leaning());
  EXPECT_FALSE(c.desktop().calibrationShown);
  EXPECT_TRUE(c.rig.logged("calibration ended saved=true"));
  EXPECT_EQ(c.rig.controller->calibration(), nullptr);
  const auto& set = c.rig.controller->baselines();
  ASSERT_TRUE(set.has_value());
  EXPECT_EQ(set->id.size(), 36U);
  EXPECT_EQ(set->cameraID, "cam");
  EXPECT_EQ(set->schema, 3);
  EXPECT_EQ(set->baselines, std::vector<Baseline>{sittingBaseline});
  EXPECT_NEAR(set->reach.faceGrowth, leaningGrowth, 1e-12);
  EXPECT_NEAR(set->reach.noseDrop, leaningNoseDrop, 1e-12);
  EXPECT_EQ(c.stored(), set);

  // The live picture ran, with the face box of the frames, and stopped with the window.
  EXPECT_GT(c.desktop().calibrationPictures, 30);
  ASSERT_FALSE(c.desktop().lastPictures.empty());
  EXPECT_EQ(c.desktop().lastPictures.back().faces.size(), 1U);
  const auto shown = c.desktop().calibrationPictures;
  c.rig.advance(5);
  EXPECT_EQ(c.desktop().calibrationPictures, shown);
  // Checks are back on against the new calibration.
  c.rig.advance(60);
  EXPECT_GE(c.rig.count("check head="), 1);
}

// A lean-in step that fails is tried again in the calibration window's walk-through.
TEST(CalibrationController, AFailedStepIsTriedAgainWithItsMessage) {
  CalibrationRig c;
  c.captureStep(testing::nobody());
  EXPECT_EQ(c.screen(), "sitWell: I can't see your face. Check the light and try again. [Try again] on");
  ASSERT_NE(c.rig.controller->calibration(), nullptr);
  EXPECT_TRUE(c.rig.controller->calibration()->captured().empty());
  EXPECT_TRUE(c.desktop().calibrationShown);
  c.captureStep(testing::sitting());
  EXPECT_EQ(c.screen(), "leanIn: " + leanInPrompt + " [Start] on");
}

TEST(CalibrationController, ABaselineThatLooksSlouchedIsSavedOnlyWhenTheUserSaysSo) {
  for (const bool saveAnyway : {false, true}) {
    CalibrationRig c(/*calibrated=*/true);
    c.desktop().answer = saveAnyway;
    // A face 0.4 tall where the calibration in force had 0.3.
    c.captureStep(testing::tooClose());
    EXPECT_EQ(c.desktop().texts, Lines{std::string(Calibration::slouchMessage)}) << saveAnyway;
    const auto* calibration = c.rig.controller->calibration();
    ASSERT_NE(calibration, nullptr);
    if (saveAnyway) {
      EXPECT_EQ(c.screen(), "leanIn: " + leanInPrompt + " [Start] on");
      ASSERT_EQ(calibration->captured().size(), 1U);
      EXPECT_EQ(calibration->captured()[0].faceHeight, 0.4);
    } else {
      EXPECT_EQ(c.screen(), "sitWell: Sit well and try again. [Try again] on");
      EXPECT_TRUE(calibration->captured().empty());
    }
    // Until the end the calibration in force stays, stored and in use.
    EXPECT_EQ(c.rig.controller->baselines(), testing::calibrationSet());
    c.press(std::nullopt, CalibrationKey::escapeKey);
    EXPECT_TRUE(c.rig.logged("calibration ended saved=false"));
    EXPECT_EQ(c.rig.controller->baselines(), testing::calibrationSet());
    EXPECT_EQ(c.stored(), testing::calibrationSet());
  }
}

TEST(CalibrationController, OpeningAgainBringsItForwardKeysStartOnlyWhileStartIsEnabledAndEscapeCancels) {
  CalibrationRig c;
  const auto forwards = c.desktop().calibrationForwards;
  c.rig.controller->openCalibration();
  c.rig.controller->choose(MenuItemId::recalibrateBadge);
  EXPECT_EQ(c.desktop().calibrationOpens, 1);
  EXPECT_EQ(c.desktop().calibrationForwards, forwards + 2);
  EXPECT_EQ(c.rig.count("calibration window shown"), 1);

  c.press("\r", CalibrationKey::returnKey);
  EXPECT_EQ(c.screen(), "sitWell: 3… [Start] off");
  c.rig.advance(1);
  c.space();  // ignored: Start is disabled during the countdown
  c.desktop().calibrationActions.start();  // and so is the button
  c.rig.advance(1);
  EXPECT_EQ(c.screens(1), (Lines{"sitWell: 3… [Start] off", "sitWell: 2… [Start] off", "sitWell: 1… [Start] off"}));

  // Escape in the middle of the countdown: the window goes, no set, nothing more is shown.
  c.press("\x1b", CalibrationKey::escapeKey);
  EXPECT_FALSE(c.desktop().calibrationShown);
  EXPECT_TRUE(c.rig.logged("calibration ended saved=false"));
  EXPECT_EQ(c.rig.controller->calibration(), nullptr);
  const auto shown = c.screens().size();
  c.rig.advance(10);
  EXPECT_EQ(c.screens().size(), shown);
  EXPECT_EQ(c.stored(), std::nullopt);
  EXPECT_FALSE(c.rig.controller->monitor().calibrating());

  // The next opening makes a new calibration from its first step.
  c.rig.controller->openCalibration();
  c.rig.settle();
  EXPECT_EQ(c.desktop().calibrationOpens, 2);
  EXPECT_EQ(c.screen(), "sitWell: " + sitWellPrompt + " [Start] on");
}

TEST(CalibrationController, ACameraThatStopsDuringTheCaptureIsToldAndTheStepTriedAgain) {
  struct Case {
    const char* what;
    bool notice;  // the camera says it stopped; otherwise it freezes silently
    Seconds after;
  };
  const Case cases[] = {{"stopped with a notice", true, 0.5},
                        {"frozen without a word", false, CalibrationController::captureTimeout}};
  for (const auto& k : cases) {
    CalibrationRig c;
    c.rig.scene = testing::sitting();
    c.space();
    c.rig.advance(3.5);  // "Hold still…" and two frames taken
    EXPECT_EQ(c.screen(), "sitWell: Hold still… [Start] off") << k.what;
    c.rig.camera->halt();
    if (k.notice) c.rig.camera->notify({CaptureNoticeKind::stopped, {}});
    c.rig.advance(k.after);
    EXPECT_EQ(c.screen(), "sitWell: " + cameraStopped + " [Try again] on") << k.what;
    EXPECT_EQ(c.desktop().cameraMissing, k.notice ? Lines{"stopped"} : Lines{}) << k.what;

    // Trying again starts the camera again, and the step goes through.
    c.captureStep(testing::sitting());
    EXPECT_EQ(c.screen(), "leanIn: " + leanInPrompt + " [Start] on") << k.what;
  }
}

}  // namespace
}  // namespace kestrel
