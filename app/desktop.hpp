#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "camera/frame_source.hpp"
#include "core/calibration/calibration.hpp"
#include "core/monitor/monitor_io.hpp"

namespace kestrel {

// What the calibration window shows besides its live picture: the step, the instruction or
// status line, and the Start button's title and state.
struct CalibrationScreen {
  Calibration::Step step = Calibration::Step::sitWell;
  std::string message;
  std::string startTitle;
  bool startEnabled = true;

  bool operator==(const CalibrationScreen&) const = default;
};

// What the calibration window's buttons and keys are wired to. `key` gets every key press:
// the typed characters (none when the key types nothing) and the key code.
struct CalibrationActions {
  std::function<void()> start;
  std::function<void()> cancel;
  std::function<void(std::optional<std::string> characters, int keyCode)> key;
};

// What the controller asks of the desktop: the tray menu, the glow, the window and modal
// questions. The Qt shell draws them; the controller's tests record the calls. Every call
// comes on the main thread.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The tray icon and its menu (or, without a tray, the small window standing in for it).
  virtual void installMenu() = 0;
  // Titles, states and the icon brought up to date from the controller.
  virtual void refreshMenu() = 0;
  // The glow at the top of the screens, shown even without an alert when `forced`; `events`
  // are those of the input that led here (a raised alert pulses it).
  virtual void updateGlow(bool forced, const std::vector<MonitorEvent>& events) = 0;

  // The main window: whether it is open, making it on first use and showing it, and
  // bringing it up to date (`reloadLog`: the day's log changed too).
  virtual bool windowOpen() const = 0;
  virtual void showWindow() = 0;
  virtual void refreshWindow(bool reloadLog) = 0;
  // The picture viewer on one picture of the History tab, in place of the one open.
  virtual void openPicture(const std::string& day, const std::string& stem) = 0;
  // The pictures of these days were pruned: a viewer on one of them closes, the History tab
  // lists the days again.
  virtual void picturesPruned(const std::vector<std::string>& days) = 0;
  // A calibration ended, saved or not: the window's calibration line is read again.
  virtual void calibrationEnded() = 0;

  // The calibration window: whether it is shown; making it on first use and showing it wired
  // to `actions`, its picture waiting for the camera; what it says; bringing it to the front;
  // putting it away.
  virtual bool calibrationOpen() const = 0;
  virtual void openCalibration(CalibrationActions actions) = 0;
  virtual void showCalibration(const CalibrationScreen& screen) = 0;
  virtual void bringCalibrationForward() = 0;
  virtual void closeCalibration() = 0;
  // The calibration window's live picture; or, instead of it, that no camera could be found
  // and why.
  virtual void showCalibrationPicture(const FrameSource::Preview& preview) = 0;
  virtual void showCalibrationCameraMissing(const std::string& reason) = 0;

  // A modal question with two buttons; true when the first was chosen; over the calibration
  // window while it is open.
  virtual bool confirm(const std::string& title, const std::string& text, const std::string& accept,
                       const std::string& reject) = 0;
  // Opens an address or a file with the desktop's handler; fire and forget.
  virtual void openAddress(const std::string& address) = 0;
  // Ends the program in order, as Quit in the menu does.
  virtual void quit() = 0;
};

}  // namespace kestrel
