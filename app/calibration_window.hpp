#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "app/desktop.hpp"
#include "ui/camera_view.hpp"

namespace kestrel {

// The calibration window: 520 × 420, titled "Calibrate Kestrel", with a title bar but no
// close, resize or minimise buttons, kept above other windows. The live picture fills the
// top, the instruction line sits under it and the Cancel and Start buttons at the bottom.
// Every key press goes to the `key` action; the buttons never take the keyboard focus, so
// Space and Return reach it rather than pressing a focused button.
class CalibrationWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CalibrationWindow(QWidget* parent = nullptr);

  void setActions(CalibrationActions actions) { actions_ = std::move(actions); }
  void showScreen(const CalibrationScreen& screen);
  void showPicture(const FrameSource::Preview& preview);
  void showWaiting();
  void showCameraMissing(const QString& reason);
  // Moves the window to where it opens among the screens.
  void place();
  // Shows it, raises it and asks for the keyboard.
  void bringForward();

  CameraView& picture() { return *picture_; }
  QLabel& message() { return *message_; }
  QPushButton& startButton() { return *start_; }
  QPushButton& cancelButton() { return *cancel_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The window manager may still close it (a shortcut): that cancels, as Escape does.
  void closeEvent(QCloseEvent* event) override;

 private:
  CalibrationActions actions_;
  CameraView* picture_;
  QLabel* message_;
  QPushButton* start_;
  QPushButton* cancel_;
};

}  // namespace kestrel
