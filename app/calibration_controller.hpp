#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/desktop.hpp"
#include "camera/frame_source.hpp"
#include "core/calibration/calibration.hpp"
#include "core/model/baseline.hpp"
#include "platform/clock.hpp"
#include "platform/executor.hpp"
#include "platform/system_log.hpp"

namespace kestrel {

// Walks the user through the two calibration steps in the calibration window: sit well, then
// lean in. Each step counts down from 3, has the frame source collect five frames a quarter
// of a second apart, judges them with the calibration functions and either moves on, asks
// again in the same step, or hands the finished set back. The window is the desktop's; this
// object decides what it shows and what its buttons and keys do. Everything runs on the main
// thread; the countdown runs on the clock's timers, so tests drive it in simulated time.
class CalibrationController {
 public:
  struct Parts {
    FrameSource& frames;
    Desktop& desktop;
    Clock& clock;
    Executor& main;
    SystemLog& log;
    // Starts the camera when it is not running (a capture needs it).
    std::function<void()> startCamera;
    // The new set, or none when cancelled; the last thing this object does, so it may be
    // released there.
    std::function<void(std::optional<BaselineSet>)> finished;
  };

  static constexpr std::int64_t countdownFrom = 3;
  static constexpr Seconds countdownStep = 1;
  static constexpr Seconds captureSpacing = 0.25;
  // A capture that has not come back by then ends as if the camera had stopped: a camera
  // can freeze without telling.
  static constexpr Seconds captureTimeout = 5;
  static constexpr int previewWidth = 480;
  static constexpr int previewHeight = 270;

  // `previous` is the calibration in force as this one begins, for the slouch check.
  CalibrationController(Parts parts, std::optional<BaselineSet> previous);
  // Stops its timers only: the frame source and the desktop may be gone by now.
  ~CalibrationController();
  CalibrationController(const CalibrationController&) = delete;
  CalibrationController& operator=(const CalibrationController&) = delete;

  // Shows the window, made on first use, for a step with its prompt and an enabled Start.
  void show(Calibration::Step step);
  void bringForward();
  // The Start button: counts down and captures, when Start is enabled.
  void startCapture();
  // The Cancel button and Escape: ends calibration without a set.
  void cancel();
  // A key press in the window.
  void key(std::optional<std::string> characters, int keyCode);
  // The camera went away; a capture under way fails.
  void cameraMissing(const std::string& reason);

  Calibration::Step step() const { return screen_.step; }
  const CalibrationScreen& screen() const { return screen_; }
  const std::vector<Baseline>& captured() const { return captured_; }

 private:
  void countDown(std::int64_t n);
  void capture();
  void judge(const std::vector<Measurements>& frames);
  void judgeSitWell(const std::vector<Measurements>& frames);
  void tryAgain(std::string_view message);
  void finish();
  void close();
  void present();
  Timer after(Seconds delay, std::function<void()> task);

  Parts parts_;
  std::optional<BaselineSet> previous_;
  CalibrationScreen screen_;
  std::vector<Baseline> captured_;
  std::optional<Reach> reach_;
  bool opened_ = false;
  bool capturing_ = false;
  bool ended_ = false;  // the set, or none, has been handed back
  std::int64_t capture_ = 0;  // the capture under way; earlier ones' frames are ignored
  Timer countdown_;
  Timer timeout_;
  // Cleared at destruction, so no timer or capture reaches an object that is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrel
