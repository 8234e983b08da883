#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "app/app_controller.hpp"
#include "app/canberra_player.hpp"
#include "app/control_service.hpp"
#include "app/data_folder.hpp"
#include "app/qt_desktop.hpp"
#include "app/qt_executor.hpp"
#include "app/system_events.hpp"
#include "app/xdg_autostart.hpp"
#include "platform/system_clock.hpp"

namespace kestrel {

// The running program: the real parts (the system clock, Qt's main thread, V4L2 or a video
// file, the analyzer, libcanberra, XDG autostart, the tray, D-Bus system events) around the
// controller, and the orderly end on Quit, on SIGTERM, SIGINT or SIGHUP and at session end.
class Application : public QObject {
  Q_OBJECT

 public:
  struct Options {
    LaunchPlan plan;
    AppIdentity identity;
    Locations locations;
    std::string cameraHelpPage;
    std::filesystem::path modelFolder;
    // Read when a termination signal arrived (the entry's self-pipe); -1 for none.
    int signalFd = -1;
    // This process owns the application id on the session bus: it serves the control interface.
    bool serveControl = false;
  };

  // Throws FileCameraUnavailable when a video is to be the camera and the file camera's
  // module cannot be loaded. The analyzer's models load meanwhile; when they cannot be, the
  // program logs why, prints it and ends the event loop with status 1.
  Application(Options options, SystemLog& log, QObject* parent = nullptr);
  ~Application() override;

  void setObserver(AppController::Observer observer) { controller_->setObserver(std::move(observer)); }
  void start();
  // Stops the camera, saves the state and ends the event loop with `status`; once.
  void quit(int status = 0);
  const AppController& controller() const { return *controller_; }

 private:
  void fail(const std::string& message);

  SystemLog& log_;
  SystemClock clock_;
  QtExecutor main_;
  CanberraPlayer sound_;
  XdgAutostart loginItem_;
  std::unique_ptr<QtDesktop> desktop_;
  std::unique_ptr<SystemEvents> events_;
  std::unique_ptr<QSocketNotifier> signals_;
  std::unique_ptr<ControlService> control_;
  int signalFd_ = -1;
  bool quitting_ = false;
  std::shared_future<std::shared_ptr<Analyzer>> models_;
  std::string applicationId_;
  std::unique_ptr<AppController> controller_;  // last: goes first
};

}  // namespace kestrel
