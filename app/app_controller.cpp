#include "app/app_controller.hpp"

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <type_traits>
#include <utility>

#include "core/base/json_text.hpp"
#include "core/launch/app_info.hpp"
#include "core/launch/control_command.hpp"
#include "core/launch/login_item_policy.hpp"
#include "core/monitor/status_texts.hpp"
#include "core/pictures/picture_prune.hpp"
#include "core/settings/picture_retention.hpp"

namespace kestrel {

namespace {

constexpr Seconds tickInterval = 1.0;
constexpr Seconds retryInterval = 5.0;
constexpr Seconds simulatedFailureAfter = 30;
constexpr Seconds simulatedOutage = 60;
constexpr Seconds snoozeFor = ControlCommand::snoozeLength;
constexpr Seconds hideGlowFor = 3600;
constexpr Seconds pauseFor = 3600;

std::string boolText(bool value) { return value ? "true" : "false"; }

std::string twoDecimals(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

template <class T>
bool holds(const MonitorInput& input) {
  return std::holds_alternative<T>(input);
}

}  // namespace

AppController::AppController(LaunchPlan plan, AppPaths paths, AppParts parts)
    : plan_(std::move(plan)),
      paths_(std::move(paths)),
      clock_(parts.clock),
      main_(parts.main),
      systemLog_(parts.log),
      sound_(parts.sound),
      loginItem_(parts.loginItem),
      desktop_(parts.desktop),
      identity_(std::move(parts.identity)),
      calendar_(parts.calendar),
      logClock_{parts.calendar},
      chime_(parts.sound, parts.log, std::move(parts.chimeFolder)),
      cameraHelpPage_(std::move(parts.cameraHelpPage)),
      settingsFile_{paths_.settingsFile},
      settings_(AppSettings::fromValues(settingsFile_.load())),
      baselineStore_{paths_.baselines()},
      stateStore_{paths_.state()},
      log_{paths_.logs(), logClock_},
      baselines_(plan_.showCalibrationWhenNeeded ? baselineStore_.load()
                                                 : std::optional<BaselineSet>(BaselineSet::standIn())),
      initialState_(plan_.writeLogAndState ? stateStore_.load() : AppState()),
      monitor_(thresholds_, calendar_, baselines_.has_value(), initialState_.pausedIndefinitely,
               initialState_.wrongTaps, std::move(parts.makeID)),
      pipeline_(logClock_),
      loginItemOffered_(initialState_.loginItemOffered) {
  const AppSettings run = runSettings();
  monitor_.setCameraDozes(run.cameraBetweenChecks == CameraDuty::Mode::off);
  monitor_.apply(run);

  pictures_ = std::make_unique<PictureWriter>(
      PictureStore{paths_.pictures(), logClock_}, std::move(parts.photos),
      [&log = systemLog_](const std::string& line) { log.notice(line); },
      [&clock = clock_] { return clock.monotonic(); });
  frames_ = std::make_unique<FrameSource>(std::move(parts.camera), std::move(parts.analysis), clock_, main_,
                                          systemLog_);
}

AppController::~AppController() {
  *alive_ = false;
  calibration_.reset();
  ticker_.cancel();
  retry_.reset();
  exitTimer_.cancel();
  failureTimer_.cancel();
  // The camera's queue goes first: nothing it posts afterwards finds the controller.
  frames_.reset();
  pictures_.reset();
}

Instant AppController::now() const { return clock_.now(); }

void AppController::onMain(std::function<void()> task) {
  main_.post([alive = std::weak_ptr<bool>(alive_), task = std::move(task)] {
    if (auto living = alive.lock(); living && *living) task();
  });
}

Timer AppController::once(Seconds delay, std::function<void()> task) {
  return clock_.after(delay, [this, task = std::move(task)]() mutable { onMain(std::move(task)); });
}

namespace {

// A timer that fires again `interval` after each run, armed anew on the main thread.
struct Repeating {
  Clock& clock;
  Seconds interval;
  std::function<void()> task;
  std::function<void(std::function<void()>)> onMain;
  Timer timer;
  bool stopped = false;

  static void arm(const std::shared_ptr<Repeating>& self) {
    self->timer = self->clock.after(self->interval, [weak = std::weak_ptr<Repeating>(self)] {
      auto living = weak.lock();
      if (!living) return;
      living->onMain([weak] {
        auto again = weak.lock();
        if (!again || again->stopped) return;
        arm(again);
        again->task();
      });
    });
  }
};

}  // namespace

Timer AppController::every(Seconds interval, std::function<void()> task) {
  auto repeating = std::make_shared<Repeating>(
      Repeating{clock_, interval, std::move(task), [this](std::function<void()> t) { onMain(std::move(t)); }, {}, false});
  Repeating::arm(repeating);
  return Timer([repeating] {
    repeating->stopped = true;
    repeating->timer.cancel();
  });
}

// MARK: start and stop

void AppController::start() {
  if (started_) return;
  started_ = true;
  const auto alive = std::weak_ptr<bool>(alive_);
  frames_->onFrameArrived = [this, alive](Instant at) {
    if (alive.lock()) frameArrived(at);
  };
  frames_->onCheckFrame = [this, alive](Measurements m, double ms, Instant at, std::shared_ptr<const FrameCopy> copy) {
    if (alive.lock()) checkFrame(std::move(m), ms, at, std::move(copy));
  };
  const AppSettings run = runSettings();
  frames_->setCopyCheckFrames(plan_.writeLogAndState && run.keepPhotos);
  frames_->onCameraMissing = [this, alive](std::string reason) {
    if (alive.lock()) cameraMissing(reason);
  };
  frames_->onCameraConnected = [this, alive] {
    if (alive.lock()) retryCamera();
  };

  desktop_.installMenu();
  if (plan_.registerLoginItem && !loginItemOffered_) offerLoginItem();
  if (plan_.writeLogAndState) {
    log_.prune(now());
    prunePictures(now());
    seedOldPictureIfAsked();
  }
  systemLog_.notice("cameraBetweenChecks=" + std::string(toText(run.cameraBetweenChecks)));
  startCadence();
  handle(input::Launch{now()});
  ticker_ = every(tickInterval, [this] { handle(input::Tick{now()}); });
  if (plan_.forceGlow) updateGlow({});
  if (plan_.exitAfter) exitTimer_ = once(*plan_.exitAfter, [this] { desktop_.quit(); });
  if (plan_.simulateCameraFailure) {
    failureTimer_ = once(simulatedFailureAfter, [this] { frames_->simulateFailure(simulatedOutage); });
  }
  if (!baselines_ && plan_.showCalibrationWhenNeeded) openCalibration();
}

void AppController::startCadence() {
  const AppSettings run = runSettings();
  frames_->setCheckInterval(seconds(run.checkInterval));
  systemLog_.notice(settingsLogLine(run, plan_.simulateHandAlert));
}

void AppController::stop() {
  if (stopped_) return;
  stopped_ = true;
  ticker_.cancel();
  retry_.reset();
  exitTimer_.cancel();
  failureTimer_.cancel();
  frames_->stop();
  frames_->releaseCenterStage();
  if (plan_.writeLogAndState) saveState();
  pictures_->flush();
}

void AppController::flush() {
  frames_->flush();
  pictures_->flush();
}

// MARK: one input

void AppController::handle(const MonitorInput& input) {
  if (stopped_) return;
  const MonitorOutput out = monitor_.handle(input);
  writeEvents(out.events, now());
  for (MonitorCommand command : out.commands) execute(command);
  if (plan_.writeLogAndState &&
      (holds<input::Pause>(input) || holds<input::Resume>(input) || holds<input::Wrong>(input))) {
    saveState();
  }
  updateGlow({});
  if (holds<input::Tick>(input) && out.events.empty() && out.commands.empty()) return;
  refreshViews(!out.events.empty());
}

void AppController::execute(MonitorCommand command) {
  switch (command) {
    case MonitorCommand::startCamera:
      startCamera();
      break;
    case MonitorCommand::stopCamera:
      frames_->stop();
      break;
    case MonitorCommand::restartSession:
      frames_->stop();
      startCamera();
      break;
    case MonitorCommand::playChime:
      chime_.play(settings_.chimeSound, false);
      break;
    case MonitorCommand::recheckPermission:
      recheckPermission();
      break;
  }
}

void AppController::recheckPermission() {
  // A plain Linux desktop never asks: the cameras either open for this user or they do not.
  permission_ = frames_->permission();
  desktop_.refreshMenu();
  if (desktop_.windowOpen()) desktop_.refreshWindow(false);
}

void AppController::choose(MenuItemId item) {
  const Instant at = now();
  switch (item) {
    case MenuItemId::openWindow:
      openWindow();
      break;
    case MenuItemId::recalibrateBadge:
    case MenuItemId::calibrate:
      openCalibration();
      break;
    case MenuItemId::cameraAccess:
      desktop_.openAddress(cameraHelpPage_);
      break;
    case MenuItemId::snooze:
      handle(input::Snooze{at + snoozeFor, at});
      break;
    case MenuItemId::hideGlow:
      handle(input::HideGlow{at + hideGlowFor, at});
      break;
    case MenuItemId::pauseHour:
      handle(input::Pause{at + pauseFor, at});
      break;
    case MenuItemId::pauseResume:
      if (monitor_.isPaused(at)) {
        handle(input::Resume{at});
      } else {
        handle(input::Pause{std::nullopt, at});
      }
      break;
    case MenuItemId::login:
      toggleLoginItem();
      break;
    case MenuItemId::update:
      if (auto link = AppInfo::downloadURL(AppInfo::builtDownloadURL())) {
        desktop_.openAddress(*link);
        systemLog_.notice("update link opened");
      }
      break;
    case MenuItemId::quit:
      desktop_.quit();
      break;
    case MenuItemId::testCopy:
    case MenuItemId::status:
    case MenuItemId::score:
    case MenuItemId::version:
      break;
  }
}

MenuFacts AppController::menuFacts(bool opening) {
  if (opening) {
    lastScore_ = todayScore();
    lastLogin_ = loginItem_.status();
  }
  MenuFacts facts;
  facts.monitor = &monitor_;
  facts.now = now();
  facts.permission = permission_;
  facts.testCopyMark = plan_.testCopyMark;
  facts.versionLine = versionLine();
  facts.hasUpdateLink = AppInfo::downloadURL(AppInfo::builtDownloadURL()).has_value();
  facts.scorePercent = lastScore_;
  facts.login = lastLogin_;
  return facts;
}

std::optional<std::int64_t> AppController::todayScore() const { return TodaySummary::scorePercent(log_, now()); }

void AppController::updateGlow(const std::vector<MonitorEvent>& events) { desktop_.updateGlow(plan_.forceGlow, events); }

void AppController::refreshViews(bool reloadLog) {
  desktop_.refreshMenu();
  if (desktop_.windowOpen()) desktop_.refreshWindow(reloadLog);
  if (refreshed_) refreshed_();
}

std::optional<std::string> AppController::checkNow() {
  if (monitor_.isPaused(now())) return "Kestrel is paused; resume it first.";
  if (!baselines_) return "Kestrel is not calibrated yet.";
  frames_->checkNow();
  systemLog_.notice("check now asked");
  return std::nullopt;
}

StatusReport AppController::statusReport() {
  const MenuFacts facts = menuFacts(false);
  StatusReport report;
  report.running = true;
  report.status = TodaySummary::statusText(monitor_, permission_, facts.now);
  report.menuIcon = toText(menuIconState(facts));
  report.scorePercent = todayScore();
  report.paused = monitor_.isPaused(facts.now);
  report.lastCheck = monitor_.lastCheck() ? lastCheckText(monitor_) : "";
  report.lastCheckAt = lastCheckStamp_;
  return report;
}

// MARK: the check

void AppController::frameArrived(Instant at) {
  if (plan_.exitAfter && !reportedFrames_) {
    std::cout << "perf-live camera running\n" << std::flush;
    reportedFrames_ = true;
  }
  if (firstFrameSinceMissing_ && monitor_.cameraMissing()) {
    firstFrameSinceMissing_ = false;
    handle(input::CameraBack{at});
  }
  const MonitorOutput out = monitor_.handle(input::FrameArrived{at});
  writeEvents(out.events, at);
  if (!out.events.empty()) refreshViews(true);
}

void AppController::checkFrame(Measurements m, double ms, Instant at, std::shared_ptr<const FrameCopy> frame) {
  if (!baselines_ || monitor_.calibrating()) return;
  const bool cameraEffects = !frames_->activeEffects().empty();
  PendingCheck pending = pipeline_.begin(monitor_, *baselines_, m, ms, at, cameraEffects);
  const Thresholds& thresholds = pending.thresholds();
  const auto alive = std::weak_ptr<bool>(alive_);
  frames_->collectFrames(thresholds.burstFrames, thresholds.burstSpacing,
                         [this, alive, pending = std::move(pending), frame = std::move(frame)](
                             std::vector<Measurements> burst, double burstMs) {
                           if (alive.lock()) burstCollected(pending, frame, std::move(burst), burstMs);
                         });
}

void AppController::burstCollected(const PendingCheck& pending, std::shared_ptr<const FrameCopy> frame,
                                   std::vector<Measurements> burst, double burstMs) {
  if (stopped_) return;
  std::vector<CheckResult> results = pending.frameResults(burst);
  systemLog_.info("burst frames=" + std::to_string(burst.size()) + " span=" + twoDecimals(now() - pending.at));
  if (plan_.simulateHandAlert) {
    results = LaunchPlan::simulatedFrames(simulatedChecks_, static_cast<std::int64_t>(results.size()));
    ++simulatedChecks_;
  }
  const FinishedCheck finished = pipeline_.finish(monitor_, pending, results, burst, burstMs);
  finishCheck(finished, pending, std::move(frame));
}

void AppController::finishCheck(const FinishedCheck& check, const PendingCheck& pending,
                                std::shared_ptr<const FrameCopy> frame) {
  const Instant at = pending.at;
  if (plan_.writeLogAndState) {
    if (!check.pictureRequests.empty()) {
      const auto alive = std::weak_ptr<bool>(alive_);
      pictures_->save(check.pictureRequests, pending.measurements, frame, runSettings().keepPhotos,
                      [this](std::vector<PictureSaved> saved) {
                        onMain([this, saved = std::move(saved)] { picturesSaved(saved); });
                      });
    }
    if (!lastPictureDay_ || *lastPictureDay_ != logClock_.dayName(at)) prunePictures(now());
  }
  systemLog_.info(check.result.logSummary(pending.thresholds().id));
  if (check.checkLine) write(*check.checkLine);
  for (const EventLine& line : check.eventLines) write(line);
  for (MonitorCommand command : check.output.commands) execute(command);
  updateGlow(check.output.events);
  refreshViews(true);
  if (runSettings().cameraBetweenChecks == CameraDuty::Mode::off && monitor_.cameraWanted(now()) &&
      !monitor_.calibrating()) {
    frames_->dozeUntilNextCheck();
  }
}

void AppController::write(const CheckLine& line) {
  lastCheckStamp_ = line.t;
  if (!plan_.writeLogAndState) return;
  try {
    log_.append(line, now());
  } catch (const std::exception& error) {
    systemLog_.notice(std::string("log write failed: ") + error.what());
  }
  if (observer_.checkWritten) observer_.checkWritten(line);
}

void AppController::write(const EventLine& line) {
  if (!plan_.writeLogAndState) return;
  try {
    log_.append(line, now());
  } catch (const std::exception& error) {
    systemLog_.notice(std::string("log write failed: ") + error.what());
  }
  systemLog_.notice("event " + compactJSON(Json(line)));
  if (observer_.eventWritten) observer_.eventWritten(line);
}

void AppController::writeEvents(const std::vector<MonitorEvent>& events, Instant at) {
  for (const EventLine& line : eventLines(events, at, logClock_)) write(line);
}

void AppController::saveState() {
  try {
    stateStore_.save(AppState(monitor_.pausedIndefinitely(), monitor_.wrongTaps(), loginItemOffered_));
  } catch (const std::exception& error) {
    systemLog_.notice(std::string("state save failed: ") + error.what());
  }
}

// MARK: the camera

void AppController::startCamera() {
  if (permission_ != CameraPermission::authorized || !monitor_.cameraWanted(now())) return;
  std::optional<std::string> pinned;
  if (plan_.showCalibrationWhenNeeded && baselines_ && !baselines_->cameraID.empty()) pinned = baselines_->cameraID;
  if (frames_->start(pinned)) {
    handle(input::CameraStarted{now()});
  } else {
    handle(input::CameraMissing{now()});
    firstFrameSinceMissing_ = true;
    scheduleRetry();
  }
}

void AppController::cameraMissing(const std::string& reason) {
  systemLog_.notice("camera missing: " + reason);
  if (calibration_) calibration_->cameraMissing(reason);
  handle(input::CameraMissing{now()});
  firstFrameSinceMissing_ = true;
  scheduleRetry();
}

void AppController::scheduleRetry() {
  if (!retry_) retry_ = every(retryInterval, [this] { retryCamera(); });
}

void AppController::retryCamera() {
  if (monitor_.cameraMissing() && monitor_.cameraWanted(now()) && !monitor_.calibrating()) {
    // A running session's first frame tells that the camera is back.
    if (!frames_->isRunning()) startCamera();
    return;
  }
  retry_.reset();
}

// MARK: calibration

void AppController::openCalibration() {
  if (calibration_) {
    calibration_->bringForward();
    return;
  }
  handle(input::CalibrationStarted{now()});
  if (!frames_->isRunning()) startCamera();
  frames_->setChecksEnabled(false);
  CalibrationController::Parts parts{*frames_,
                                     desktop_,
                                     clock_,
                                     main_,
                                     systemLog_,
                                     [this] {
                                       if (!frames_->isRunning()) startCamera();
                                     },
                                     [this](std::optional<BaselineSet> set) { calibrationFinished(std::move(set)); }};
  calibration_ = std::make_shared<CalibrationController>(std::move(parts), baselines_);
  calibration_->show(Calibration::steps.front());
  if (!frames_->isRunning()) calibration_->cameraMissing(cameraMissingReason());
}

std::string AppController::cameraMissingReason() {
  if (permission_ == CameraPermission::denied || permission_ == CameraPermission::restricted) {
    return "this user may not open the cameras";
  }
  const std::string failure = frames_->startFailure();
  return failure.empty() ? "the camera did not start" : failure;
}

void AppController::calibrationFinished(std::optional<BaselineSet> set) {
  systemLog_.notice("calibration ended saved=" + boolText(set.has_value()));
  // The calibration controller may be the caller: it goes once this call is over.
  if (calibration_) main_.post([ending = std::move(calibration_)] {});
  frames_->setChecksEnabled(true);
  const bool saved = set.has_value();
  if (set) {
    try {
      baselineStore_.save(*set);
    } catch (const std::exception& error) {
      systemLog_.notice(std::string("baselines save failed: ") + error.what());
    }
    baselines_ = std::move(set);
    pipeline_ = CheckPipeline(logClock_);  // no face from before the calibration is borrowed
  }
  handle(input::CalibrationEnded{saved, now()});
  desktop_.calibrationEnded();
}

// MARK: settings

void AppController::updateSettings(const AppSettings& settings) {
  if (settings == settings_) return;
  const AppSettings old = settings_;
  settings_ = settings;
  try {
    settingsFile_.save(settings_);
  } catch (const std::exception& error) {
    systemLog_.notice(std::string("settings write failed: ") + error.what());
  }
  for (const std::string& line : settingChangeLogLines(old, settings_)) systemLog_.notice(line);
  if (old.keepPhotos != settings_.keepPhotos) {
    frames_->setCopyCheckFrames(plan_.writeLogAndState && runSettings().keepPhotos);
  }
  if (old.pictureRetention != settings_.pictureRetention && plan_.writeLogAndState) prunePictures(now());
  applyRunSettings(old);
  updateGlow({});
  refreshViews(true);
}

void AppController::applyRunSettings(const AppSettings& old) {
  const AppSettings run = runSettings();
  monitor_.setCameraDozes(run.cameraBetweenChecks == CameraDuty::Mode::off);
  monitor_.apply(run);
  if (settings_.checkInterval != old.checkInterval) frames_->setCheckInterval(seconds(run.checkInterval));
  if (run.cameraBetweenChecks == CameraDuty::Mode::steady) frames_->endDoze();
}

void AppController::playChime(const std::string& sound, bool preview) { chime_.play(sound, preview); }

// MARK: pictures

void AppController::prunePictures(Instant at) {
  lastPictureDay_ = logClock_.dayName(at);
  const auto alive = std::weak_ptr<bool>(alive_);
  pictures_->prune(at, settings_.pictureRetention, [this, alive](std::vector<std::string> removed) {
    if (!alive.lock()) return;
    if (!removed.empty()) systemLog_.notice("pictures pruned days=" + std::to_string(removed.size()));
    onMain([this, removed = std::move(removed)] { desktop_.picturesPruned(removed); });
  });
}

void AppController::picturesSaved(const std::vector<PictureSaved>& saved) {
  for (const PictureSaved& picture : saved) {
    systemLog_.notice("picture saved alertId=" + picture.alertId + " photo=" + boolText(picture.photo) +
                      " bytes=" + std::to_string(picture.bytes) +
                      " ms=" + std::to_string(static_cast<std::int64_t>(picture.ms)));
  }
  if (desktop_.windowOpen()) desktop_.refreshWindow(false);
}

void AppController::confirmDeleteAllPictures() {
  if (!desktop_.confirm("Delete all pictures?",
                        "This removes every line drawing and photo Kestrel has kept. It cannot be undone.", "Delete",
                        "Cancel")) {
    systemLog_.notice("pictures delete cancelled");
    return;
  }
  const auto alive = std::weak_ptr<bool>(alive_);
  pictures_->deleteAll([this, alive] {
    if (!alive.lock()) return;
    systemLog_.notice("pictures deleted all");
    onMain([this] {
      if (desktop_.windowOpen()) desktop_.refreshWindow(false);
    });
  });
}

void AppController::seedOldPictureIfAsked() {
  if (!plan_.seedOldPicture || !plan_.writeLogAndState) return;
  const PictureRequest request = LaunchPlan::seedPictureRequest(now(), calendar_);
  Measurements empty;
  empty.meanLuma = 0.5;
  const std::string day = logClock_.dayName(request.raisedAt);
  const auto alive = std::weak_ptr<bool>(alive_);
  pictures_->save({request}, empty, nullptr, false, [this, alive, day](std::vector<PictureSaved>) {
    if (!alive.lock()) return;
    systemLog_.notice("picture seeded day=" + day);
  });
}

// MARK: window and login item

void AppController::openWindow() { desktop_.showWindow(); }

void AppController::openPicture(const std::string& day, const std::string& stem) { desktop_.openPicture(day, stem); }

std::optional<Instant> AppController::baselineDate() const {
  if (!baselines_) return std::nullopt;
  std::error_code error;
  const auto written = std::filesystem::last_write_time(paths_.baselines(), error);
  if (error) return std::nullopt;
  const auto since = std::chrono::file_clock::to_sys(written).time_since_epoch();
  return std::chrono::duration<double>(since).count();
}

std::string AppController::versionLine() const {
  return AppInfo::versionLine(identity_.commit, identity_.buildDate, identity_.identifier);
}

void AppController::toggleLoginItem() {
  if (loginItem_.status() == LoginItemStatus::enabled) {
    (void)loginItem_.disable();
  } else {
    (void)loginItem_.enable();
  }
  lastLogin_ = loginItem_.status();
  desktop_.refreshMenu();
}

void AppController::offerLoginItem() {
  const LoginItemPolicy::Decision decision =
      LoginItemPolicy::shouldRegister(loginItem_.executablePath(), loginItem_.isReadOnlyVolume());
  if (std::holds_alternative<LoginItemPolicy::Skip>(decision)) {
    systemLog_.notice(LoginItemPolicy::logLine(decision));
    return;
  }
  const LoginItemStatus before = loginItem_.status();
  std::optional<std::string> error;
  if (LoginItemPolicy::shouldCallRegister(before)) error = loginItem_.enable();
  const LoginItemStatus after = loginItem_.status();
  systemLog_.notice(LoginItemPolicy::registerLogLine(before, after, error));
  if (LoginItemPolicy::isOffered(after)) {
    loginItemOffered_ = true;
    if (plan_.writeLogAndState) saveState();
  }
}

}  // namespace kestrel
