#include "app/calibration_controller.hpp"

#include <utility>
#include <variant>

#include "core/base/uuid.hpp"
#include "core/calibration/calibration_key.hpp"
#include "core/calibration/calibration_window.hpp"
#include "core/model/thresholds.hpp"

namespace kestrel {

namespace Text = CalibrationWindowText;

CalibrationController::CalibrationController(Parts parts, std::optional<BaselineSet> previous)
    : parts_(std::move(parts)), previous_(std::move(previous)) {}

CalibrationController::~CalibrationController() {
  *alive_ = false;
  countdown_.cancel();
  timeout_.cancel();
}

Timer CalibrationController::after(Seconds delay, std::function<void()> task) {
  return parts_.clock.after(delay, [&main = parts_.main, alive = std::weak_ptr<bool>(alive_), task = std::move(task)] {
    main.post([alive, task] {
      if (auto living = alive.lock(); living && *living) task();
    });
  });
}

void CalibrationController::show(Calibration::Step step) {
  screen_ = {step, std::string(Text::prompt(step)), std::string(Text::start), true};
  if (!opened_) {
    opened_ = true;
    const auto alive = std::weak_ptr<bool>(alive_);
    // The window may keep its actions longer than this object lives.
    parts_.desktop.openCalibration({[this, alive] {
                                      if (alive.lock()) startCapture();
                                    },
                                    [this, alive] {
                                      if (alive.lock()) cancel();
                                    },
                                    [this, alive](std::optional<std::string> characters, int keyCode) {
                                      if (alive.lock()) key(std::move(characters), keyCode);
                                    }});
    parts_.frames.startPreview(previewWidth, previewHeight, [&desktop = parts_.desktop, alive](
                                                                const FrameSource::Preview& preview) {
      if (alive.lock()) desktop.showCalibrationPicture(preview);
    });
  }
  present();
  bringForward();
  parts_.log.notice("calibration window shown step=" + std::string(toText(step)));
}

void CalibrationController::bringForward() {
  if (opened_) parts_.desktop.bringCalibrationForward();
}

void CalibrationController::present() {
  if (opened_) parts_.desktop.showCalibration(screen_);
}

void CalibrationController::key(std::optional<std::string> characters, int keyCode) {
  std::optional<std::string_view> typed;
  if (characters) typed = *characters;
  const auto action = CalibrationKey::action(typed, keyCode, screen_.startEnabled);
  if (action == CalibrationKey::Action::cancel) {
    cancel();
  } else if (action == CalibrationKey::Action::start) {
    startCapture();
  }
}

void CalibrationController::startCapture() {
  if (ended_ || !screen_.startEnabled) return;
  screen_.startEnabled = false;
  if (!parts_.frames.isRunning() && parts_.startCamera) parts_.startCamera();
  countDown(countdownFrom);
}

void CalibrationController::countDown(std::int64_t n) {
  if (n < 1) {
    capture();
    return;
  }
  screen_.message = Text::countdown(n);
  present();
  countdown_ = after(countdownStep, [this, n] { countDown(n - 1); });
}

void CalibrationController::capture() {
  screen_.message = Text::holdStill;
  present();
  capturing_ = true;
  const std::int64_t capture = ++capture_;
  const auto alive = std::weak_ptr<bool>(alive_);
  timeout_ = after(captureTimeout, [this, capture] {
    if (capturing_ && capture == capture_) judge({});
  });
  parts_.frames.collectFrames(Calibration::framesPerStep, captureSpacing,
                              [this, alive, capture](std::vector<Measurements> frames, double) {
                                if (alive.lock() && capturing_ && capture == capture_) judge(frames);
                              });
}

void CalibrationController::cameraMissing(const std::string& reason) {
  if (!opened_) return;
  parts_.desktop.showCalibrationCameraMissing(reason);
  if (capturing_) judge({});
}

void CalibrationController::judge(const std::vector<Measurements>& frames) {
  capturing_ = false;
  timeout_.cancel();
  if (static_cast<std::int64_t>(frames.size()) < Calibration::framesPerStep) {
    tryAgain(Calibration::cameraStoppedMessage);
    return;
  }
  if (screen_.step == Calibration::Step::leanIn && !captured_.empty()) {
    const auto result = Calibration::reach(frames, captured_.front(), Thresholds{});
    if (const auto* failure = std::get_if<Calibration::Failure>(&result)) {
      tryAgain(Calibration::message(*failure));
      return;
    }
    reach_ = std::get<Reach>(result);
    finish();
    return;
  }
  judgeSitWell(frames);
}

void CalibrationController::judgeSitWell(const std::vector<Measurements>& frames) {
  const auto result = Calibration::baseline(frames, ScreenRole::laptop, Thresholds{});
  if (const auto* failure = std::get_if<Calibration::Failure>(&result)) {
    tryAgain(Calibration::message(*failure));
    return;
  }
  const Baseline& fresh = std::get<Baseline>(result);
  if (Calibration::looksSlouched(fresh, previous_) &&
      !parts_.desktop.confirm(std::string(Text::title), std::string(Calibration::slouchMessage),
                              std::string(Text::saveAnyway), std::string(Text::tryAgain))) {
    tryAgain(Calibration::sitWellAgainMessage);
    return;
  }
  captured_.push_back(fresh);
  show(Calibration::Step::leanIn);
}

void CalibrationController::tryAgain(std::string_view message) {
  screen_.message = message;
  screen_.startTitle = Text::tryAgain;
  screen_.startEnabled = true;
  present();
}

void CalibrationController::finish() {
  if (captured_.empty() || !reach_) {
    tryAgain(Calibration::cameraStoppedMessage);
    return;
  }
  const std::optional<std::string> camera = parts_.frames.deviceID();
  if (!camera) {
    tryAgain(Calibration::cameraStoppedMessage);
    return;
  }
  close();
  ended_ = true;
  BaselineSet set(randomUUID(), *camera, captured_, *reach_);
  auto finished = parts_.finished;
  finished(std::move(set));
}

void CalibrationController::cancel() {
  if (ended_) return;
  close();
  ended_ = true;
  auto finished = parts_.finished;
  finished(std::nullopt);
}

void CalibrationController::close() {
  countdown_.cancel();
  timeout_.cancel();
  capturing_ = false;
  if (!opened_) return;
  opened_ = false;
  parts_.frames.stopPreview();
  parts_.desktop.closeCalibration();
}

}  // namespace kestrel
