#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/calibration_controller.hpp"
#include "app/chime.hpp"
#include "app/desktop.hpp"
#include "app/login_item_service.hpp"
#include "app/menu_model.hpp"
#include "camera/frame_analysis.hpp"
#include "camera/frame_source.hpp"
#include "core/base/calendar.hpp"
#include "core/judgement/check_pipeline.hpp"
#include "core/launch/camera_permission.hpp"
#include "core/launch/launch_plan.hpp"
#include "core/log/app_state.hpp"
#include "core/log/baseline_store.hpp"
#include "core/log/check_log_store.hpp"
#include "core/monitor/monitor.hpp"
#include "core/monitor/status_report.hpp"
#include "core/pictures/picture_writer.hpp"
#include "core/settings/app_settings.hpp"
#include "core/settings/settings_file.hpp"
#include "platform/clock.hpp"
#include "platform/executor.hpp"
#include "platform/system_log.hpp"

namespace kestrel {

// Where one run keeps its files: the data folder (logs, state, baselines, pictures) and the
// settings file.
struct AppPaths {
  std::filesystem::path dataFolder;
  std::filesystem::path settingsFile;

  std::filesystem::path baselines() const { return dataFolder / "baselines.json"; }
  std::filesystem::path state() const { return dataFolder / "state.json"; }
  std::filesystem::path logs() const { return dataFolder / "logs"; }
  std::filesystem::path pictures() const { return dataFolder / "pictures"; }
};

// Who this copy is: its application id and the commit and date it was built from.
struct AppIdentity {
  std::string identifier;
  std::optional<std::string> commit;
  std::optional<std::string> buildDate;
};

// What the controller drives. The application hands in the real parts (the system clock, a
// main-thread executor of Qt's event loop, journald, V4L2 or a video file, libcanberra, XDG
// autostart, the Qt views); tests hand in simulated ones.
struct AppParts {
  Clock& clock;
  Executor& main;
  SystemLog& log;
  std::unique_ptr<CaptureDevice> camera;
  FrameAnalysis analysis;
  std::unique_ptr<PhotoEncoder> photos;
  SoundPlayer& sound;
  LoginItemService& loginItem;
  Desktop& desktop;
  AppIdentity identity;
  Calendar calendar = Calendar::utc();  // the user's time zone
  std::string chimeFolder{ChimeSound::folder};
  std::string cameraHelpPage;  // the page "Allow camera access…" opens
  Monitor::MakeID makeID = {};  // alert identifiers; random UUIDs when empty
};

// The one object that joins the engine together for the life of the program: the camera's
// frame source, the stores, the picture writer, the monitor and the calibration in force. It
// runs every check from its first frame to the refreshed menu, carries out every monitor
// input and command, keeps the camera alive, runs the timers and applies settings. Every
// call is made on the main thread, and every callback it receives is posted there first.
class AppController {
 public:
  // Lines as they are written to the day's log (the demo prints them).
  struct Observer {
    std::function<void(const CheckLine&)> checkWritten;
    std::function<void(const EventLine&)> eventWritten;
  };

  // Reads the settings, the state and the calibration and builds the monitor; touches no camera.
  AppController(LaunchPlan plan, AppPaths paths, AppParts parts);
  ~AppController();
  AppController(const AppController&) = delete;
  AppController& operator=(const AppController&) = delete;

  void setObserver(Observer observer) { observer_ = std::move(observer); }
  // Called whenever the menu is brought up to date: what it shows may have changed.
  void setRefreshed(std::function<void()> refreshed) { refreshed_ = std::move(refreshed); }

  // Installs the menu, offers the login item, prunes, starts the cadence, the camera and the
  // ticker. Once.
  void start();
  // The orderly end: stops the camera on its queue, gives framing back and saves the state.
  // Once; nothing runs after it.
  void stop();

  // One monitor input, then its events and commands.
  void handle(const MonitorInput& input);
  // What a menu item (or the button standing in for it) does.
  void choose(MenuItemId item);

  void startCamera();
  void retryCamera();
  void openCalibration();
  void calibrationFinished(std::optional<BaselineSet> set);
  void updateSettings(const AppSettings& settings);
  void prunePictures(Instant now);
  void confirmDeleteAllPictures();
  void openWindow();
  void openPicture(const std::string& day, const std::string& stem);
  void toggleLoginItem();
  void playChime(const std::string& sound, bool preview);
  // Asks for the next check now; why it cannot be taken (paused, not calibrated), or none.
  std::optional<std::string> checkNow();

  // What the views read.
  const LaunchPlan& plan() const { return plan_; }
  const Monitor& monitor() const { return monitor_; }
  const AppSettings& settings() const { return settings_; }
  AppSettings runSettings() const { return plan_.applied(settings_); }
  CameraPermission permission() const { return permission_; }
  const std::optional<BaselineSet>& baselines() const { return baselines_; }
  bool loginItemOffered() const { return loginItemOffered_; }
  Instant now() const;
  // Today's score from the day's log; none when no check of the day counts.
  std::optional<std::int64_t> todayScore() const;
  LoginItemStatus loginStatus() { return loginItem_.status(); }
  // The menu at this moment; `opening` reads the score and login status as the menu opens.
  MenuFacts menuFacts(bool opening);
  const CheckLogStore& log() const { return log_; }
  const AppPaths& paths() const { return paths_; }
  const LogClock& logClock() const { return logClock_; }
  PictureStore pictureStore() const { return {paths_.pictures(), logClock_}; }
  // When the calibration in force was saved: the baselines file's modification time; none
  // without a calibration or when the file cannot be looked at.
  std::optional<Instant> baselineDate() const;
  // The chime's sounds as the sound folder holds them now.
  ChimeSound::Library chimeLibrary() const { return chime_.library(); }
  std::string versionLine() const;
  // The calibration under way, if any.
  const CalibrationController* calibration() const { return calibration_.get(); }
  // What `kestrel status` shows of this run.
  StatusReport statusReport();
  // Waits until the camera and picture queues have done what they were asked so far.
  void flush();

 private:
  void frameArrived(Instant at);
  void checkFrame(Measurements m, double ms, Instant at, std::shared_ptr<const FrameCopy> frame);
  void burstCollected(const PendingCheck& pending, std::shared_ptr<const FrameCopy> frame,
                      std::vector<Measurements> burst, double burstMs);
  void finishCheck(const FinishedCheck& check, const PendingCheck& pending, std::shared_ptr<const FrameCopy> frame);
  void cameraMissing(const std::string& reason);
  // Why no camera is running, as the calibration window tells it.
  std::string cameraMissingReason();
  void scheduleRetry();
  void execute(MonitorCommand command);
  void recheckPermission();
  void applyRunSettings(const AppSettings& old);
  void updateGlow(const std::vector<MonitorEvent>& events);
  void refreshViews(bool reloadLog);
  void write(const CheckLine& line);
  void write(const EventLine& line);
  void writeEvents(const std::vector<MonitorEvent>& events, Instant at);
  void saveState();
  void offerLoginItem();
  void seedOldPictureIfAsked();
  void picturesSaved(const std::vector<PictureSaved>& saved);
  void startCadence();
  // A repeating timer on the main thread; the returned timer stops it.
  Timer every(Seconds interval, std::function<void()> task);
  Timer once(Seconds delay, std::function<void()> task);
  void onMain(std::function<void()> task);

  LaunchPlan plan_;
  AppPaths paths_;
  Clock& clock_;
  Executor& main_;
  SystemLog& systemLog_;
  SoundPlayer& sound_;
  LoginItemService& loginItem_;
  Desktop& desktop_;
  AppIdentity identity_;
  Calendar calendar_;
  LogClock logClock_;
  Chime chime_;
  std::string cameraHelpPage_;
  Observer observer_;
  std::function<void()> refreshed_;
  std::string lastCheckStamp_;  // of the last check line

  Thresholds thresholds_;
  SettingsFile settingsFile_;
  AppSettings settings_;
  BaselineStore baselineStore_;
  AppStateStore stateStore_;
  CheckLogStore log_;
  std::optional<BaselineSet> baselines_;
  AppState initialState_;  // as read at start
  Monitor monitor_;
  CheckPipeline pipeline_;
  std::int64_t simulatedChecks_ = 0;
  CameraPermission permission_ = CameraPermission::notDetermined;
  std::optional<std::string> lastPictureDay_;
  bool loginItemOffered_ = false;
  bool firstFrameSinceMissing_ = false;
  bool reportedFrames_ = false;
  bool started_ = false;
  bool stopped_ = false;
  std::optional<std::int64_t> lastScore_;  // as read when the menu last opened
  LoginItemStatus lastLogin_ = LoginItemStatus::notRegistered;

  Timer ticker_;
  std::optional<Timer> retry_;
  Timer exitTimer_;
  Timer failureTimer_;
  // Cleared first at destruction, so no posted task touches a controller that is going.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  // Shared so that it can outlive the call in which it hands its result back.
  std::shared_ptr<CalibrationController> calibration_;
  std::unique_ptr<PictureWriter> pictures_;
  std::unique_ptr<FrameSource> frames_;  // last: its queue ends first
};

}  // namespace kestrel
