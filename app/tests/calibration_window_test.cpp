#include "app/calibration_window.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <opencv2/imgcodecs.hpp>

#include "app/qt_desktop.hpp"
#include "app/tests/support.hpp"
#include "app/tests/controller_rig.hpp"
#include "core/calibration/calibration_window.hpp"

namespace kestrel {
namespace {

using testing::ControllerRig;
using testing::qtApplication;

// The photo the window's picture shows: a woman resting her chin on her hand, 642 × 508.
Frame photo() {
  const cv::Mat image =
      cv::imread(std::string(KESTREL_TEST_PHOTOS) + "/Cascade_Classifier_Tutorial_Result_Haar.jpg", cv::IMREAD_COLOR);
  EXPECT_FALSE(image.empty());
  return frameFromBgr(image);
}

// Her face in the photo as the analysis would give it (origin lower left), grown by `scale`
// about its centre: leaning in makes it taller.
Measurements faceInPhoto(double scale) {
  const double w = 230 * scale;
  const double h = 260 * scale;
  return Measurements{642, 508, 0.5, {Face{{265 - w / 2, 238 - h / 2, w, h}, 0.0, 0.0}}, {}, {}};
}

// The application controller on a fake camera showing the photo, in simulated time, with
// its calibration window drawn by the Qt desktop offscreen.
struct WindowRig {
  QApplication& application = qtApplication();  // before any widget
  RecordingLog qtLog;
  QtDesktop qt{[](bool) { return MenuFacts{}; }, [](MenuItemId) {}, [] {}, qtLog, [] { return true; }};
  ControllerRig rig{{}, /*calibrated=*/false, testing::noon - 60, &qt};

  WindowRig(bool withCamera = true) {
    rig.camera->setPicture(photo());
    rig.scene = faceInPhoto(1);
    if (!withCamera) rig.camera->setCameras({});
  }

  CalibrationWindow& window() { return *qt.calibrationWindow(); }
  void start() {
    rig.start();
    ASSERT_NE(qt.calibrationWindow(), nullptr);
  }
  void key(Qt::Key key) {
    QTest::keyClick(&window(), key);
    rig.settle();
  }
  void advance(Seconds seconds) {
    rig.advance(seconds);
    QCoreApplication::processEvents();
  }
  void grab(const QString& name) { EXPECT_TRUE(window().grab().save(testing::artifactPath(name))) << name.toStdString(); }
  std::string message() { return window().message().text().toStdString(); }
};

TEST(CalibrationWindow, IsAFixedWindowOnTopThatWalksThroughBothStepsWithTheKeyboardAndSavesTheSet) {
  WindowRig w;
  w.start();
  CalibrationWindow& window = w.window();
  EXPECT_EQ(window.size(), QSize(520, 420));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  for (Qt::WindowType absent : {Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint}) {
    EXPECT_FALSE(flags.testFlag(absent)) << absent;
  }
  // The offscreen platform has one screen with no panel's name: centred on the primary.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window.pos(), QPoint(screen.x() + screen.width() / 2 - 260, screen.y() + screen.height() / 2 - 210));
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.picture().status(), "Waiting for the camera…");
  w.grab("calibration-0-waiting.png");

  w.advance(0.5);
  EXPECT_TRUE(window.picture().hasPicture());
  EXPECT_EQ(w.message(), CalibrationWindowText::prompt(Calibration::Step::sitWell));
  EXPECT_TRUE(window.startButton().isEnabled());
  // The picture of 642 × 508 fits the view's height, centred across it.
  EXPECT_EQ(window.picture().pictureRect(), QRectF(69.5, 0, 341, 270));
  w.grab("calibration-1-sit-well.png");

  w.key(Qt::Key_Space);
  EXPECT_EQ(w.message(), "3…");
  EXPECT_FALSE(window.startButton().isEnabled());
  w.grab("calibration-2-countdown.png");
  w.key(Qt::Key_Space);  // ignored while counting down
  w.advance(3.5);
  EXPECT_EQ(w.message(), "Hold still…");
  w.grab("calibration-3-hold-still.png");
  w.advance(1.5);
  EXPECT_EQ(w.message(), CalibrationWindowText::prompt(Calibration::Step::leanIn));
  w.advance(0.5);
  w.grab("calibration-4-lean-in.png");

  // Not far enough in: the same step again.
  w.rig.scene = faceInPhoto(1.02);
  w.key(Qt::Key_Return);
  w.advance(5);
  EXPECT_EQ(w.message(), "Lean further in toward the screen and try again.");
  EXPECT_EQ(window.startButton().text(), "Try again");
  EXPECT_TRUE(window.startButton().isEnabled());
  w.grab("calibration-5-try-again.png");

  w.rig.scene = faceInPhoto(1.25);
  QTest::mouseClick(&window.startButton(), Qt::LeftButton);
  w.advance(5);
  EXPECT_FALSE(window.isVisible());
  ASSERT_TRUE(w.rig.controller->baselines().has_value());
  EXPECT_EQ(w.rig.controller->baselines()->baselines.at(0).faceHeight, 260.0 / 508);
  EXPECT_NEAR(w.rig.controller->baselines()->reach.faceGrowth, 0.25, 1e-12);
}

// Escape is a key like the others, which the walk-through sends.
TEST(CalibrationWindow, TheCancelButtonEndsWithoutASet) {
  WindowRig w;
  w.start();
  w.key(Qt::Key_Space);
  w.advance(1);
  QTest::mouseClick(&w.window().cancelButton(), Qt::LeftButton);
  w.rig.settle();
  EXPECT_FALSE(w.window().isVisible());
  EXPECT_TRUE(w.rig.logged("calibration ended saved=false"));
  EXPECT_FALSE(w.rig.controller->baselines().has_value());
}

TEST(CalibrationWindow, SaysWhenThereIsNoCameraAndAStartFindsItStopped) {
  WindowRig w(/*withCamera=*/false);
  w.start();
  EXPECT_EQ(w.window().picture().status(), "No camera found");
  EXPECT_EQ(w.window().picture().detail(), "no camera is connected");
  EXPECT_FALSE(w.window().picture().hasPicture());
  w.grab("calibration-6-no-camera.png");
  w.key(Qt::Key_Space);
  w.advance(3);
  EXPECT_EQ(w.message(), Calibration::cameraStoppedMessage);
}

TEST(CameraView, FitsThePictureWithoutCropping) {
  qtApplication();
  struct Case {
    QSize picture;
    QRectF drawn;
  };
  // A narrower picture is the walk-through's photo.
  const Case cases[] = {{{1280, 720}, {0, 0, 480, 270}}, {{960, 270}, {0, 67.5, 480, 135}}};
  for (const auto& c : cases) {
    CameraView view;
    view.resize(480, 270);
    QImage image(c.picture, QImage::Format_RGB888);
    image.fill(Qt::gray);
    view.showPicture(image, {});
    EXPECT_EQ(view.pictureRect(), c.drawn) << c.picture.width() << "x" << c.picture.height();
  }
}

}  // namespace
}  // namespace kestrel
