#include "app/application.hpp"

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <QGuiApplication>

#include <QDBusConnection>

#include "camera/file_camera_loader.hpp"
#include "core/launch/app_info.hpp"
#include "platform/local_time_zone.hpp"
#include "camera/frame_analysis.hpp"
#include "camera/photo_store.hpp"
#include "camera/v4l2_camera.hpp"
#include "vision/analyzer.hpp"

namespace kestrel {

namespace {

// The video file camera comes from its module, loaded only when asked for.
std::unique_ptr<CaptureDevice> camera(const LaunchPlan& plan, Clock& clock, SystemLog& log) {
  if (plan.cameraFile) {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return loadFileCamera(fileCameraModulePaths(program.parent_path()), clock, *plan.cameraFile, /*loop=*/true);
  }
  return std::make_unique<V4l2Camera>(clock, log);
}

}  // namespace

Application::Application(Options options, SystemLog& log, QObject* parent)
    : QObject(parent),
      log_(log),
      sound_(std::string(AppInfo::name), options.identity.identifier),
      loginItem_(options.identity.identifier),
      signalFd_(options.signalFd) {
  // Parsing and checking five models takes a good part of a second: they load on a thread of
  // their own while the tray icon goes up, and the first check (a second after the camera
  // starts) waits for them if it must.
  models_ = std::async(std::launch::async, [this, folder = options.modelFolder] {
              try {
                return std::make_shared<Analyzer>(folder);
              } catch (const std::exception& error) {
                main_.post([this, message = std::string(error.what())] { fail(message); });
                throw;
              }
            }).share();
  desktop_ = std::make_unique<QtDesktop>([this](bool opening) { return controller_->menuFacts(opening); },
                                         [this](MenuItemId item) { controller_->choose(item); },
                                         [this] { quit(); }, log_);
  const AppPaths paths{options.locations.dataFolder, options.locations.settingsFile};
  applicationId_ = options.identity.identifier;
  const bool serveControl = options.serveControl;
  AppParts parts{clock_,
                 main_,
                 log_,
                 camera(options.plan, clock_, log_),
                 analysisBy(models_),
                 std::make_unique<PhotoStore>(log_),
                 sound_,
                 loginItem_,
                 *desktop_,
                 std::move(options.identity),
                 localTimeZone(),
                 std::string(ChimeSound::folder),
                 std::move(options.cameraHelpPage),
                 {}};
  controller_ = std::make_unique<AppController>(std::move(options.plan), paths, std::move(parts));
  desktop_->attach(*controller_);
  if (serveControl) {
    control_ = std::make_unique<ControlService>(*controller_);
    controller_->setRefreshed([this] { control_->publishChanges(); });
  }

  events_ = std::make_unique<SystemEvents>(log_, QDBusConnection::systemBus(), QDBusConnection::sessionBus(), this);
  connect(events_.get(), &SystemEvents::systemEvent, this,
          [this](SystemEvent event) { controller_->handle(input::System{event, controller_->now()}); });
  if (signalFd_ >= 0) {
    signals_ = std::make_unique<QSocketNotifier>(signalFd_, QSocketNotifier::Read);
    connect(signals_.get(), &QSocketNotifier::activated, this, [this] {
      char byte = 0;
      if (::read(signalFd_, &byte, 1) > 0) log_.notice("quit signal=" + std::to_string(static_cast<int>(byte)));
      quit();
    });
  }
  // The desktop ends the session: stop in order before the event loop is gone.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { quit(); });
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { controller_->stop(); });
}

Application::~Application() {
  // The loading thread posts to the main thread's executor: it ends before anything goes.
  if (models_.valid()) models_.wait();
  if (controller_) controller_->stop();
  controller_.reset();
}

void Application::start() {
  events_->start();
  controller_->start();
  if (control_) {
    QString error;
    if (!control_->registerOn(QDBusConnection::sessionBus(), applicationId_, error)) {
      log_.error("control interface not served: " + error.toStdString());
    }
  }
}

void Application::quit(int status) {
  if (quitting_) return;
  quitting_ = true;
  controller_->stop();
  QCoreApplication::exit(status);
}

void Application::fail(const std::string& message) {
  log_.error(message);
  std::cerr << "kestrel: " << message << "\n";
  quit(1);
}

}  // namespace kestrel
