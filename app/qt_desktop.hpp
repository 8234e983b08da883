#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/calibration_window.hpp"
#include "app/desktop.hpp"
#include "app/glow_controller.hpp"
#include "app/window_controller.hpp"
#include "app/tray_menu.hpp"
#include "ui/picture_viewer.hpp"

namespace kestrel {

class AppController;

// The desktop as Qt draws it: the tray icon with its menu, the main window (which also stands
// in for the tray where the desktop has none), the picture viewer, modal questions, and
// addresses opened with the desktop's handler.
class QtDesktop : public QObject, public Desktop {
  Q_OBJECT

 public:
  // Whether the desktop shows a tray now.
  using TrayAvailable = std::function<bool()>;
  // What the window says about the tray.
  enum class TrayNote {
    none,
    // The desktop shows no tray: how to get one.
    missing,
    // A tray appeared that this run cannot use (the toolkit looks for one only at start).
    restartNeeded,
  };
  // How often a desktop without a tray is asked again.
  static constexpr int trayPollMilliseconds = 5000;

  // `facts` and `choose` are the controller's; `quit` ends the program in order.
  QtDesktop(MenuController::Facts facts, MenuController::Choose choose, std::function<void()> quit, SystemLog& log,
            TrayAvailable trayAvailable = defaultTrayAvailable(), QObject* parent = nullptr);

  // The controller the window and the picture viewer show; the window opens only once it is
  // known.
  void attach(AppController& app, GlowController::Probe glowProbe = GlowController::defaultProbe());

  void installMenu() override;
  void refreshMenu() override;
  void updateGlow(bool forced, const std::vector<MonitorEvent>& events) override;
  bool windowOpen() const override;
  void showWindow() override;
  void refreshWindow(bool reloadLog) override;
  void openPicture(const std::string& day, const std::string& stem) override;
  void picturesPruned(const std::vector<std::string>& days) override;
  void calibrationEnded() override;
  bool calibrationOpen() const override;
  void openCalibration(CalibrationActions actions) override;
  void showCalibration(const CalibrationScreen& screen) override;
  void bringCalibrationForward() override;
  void closeCalibration() override;
  void showCalibrationPicture(const FrameSource::Preview& preview) override;
  void showCalibrationCameraMissing(const std::string& reason) override;
  bool confirm(const std::string& title, const std::string& text, const std::string& accept,
               const std::string& reject) override;
  void openAddress(const std::string& address) override;
  void quit() override;

  // Looks for a tray again; puts the icon there when one has appeared. The poll timer and a
  // new status-notifier watcher on the session bus call it.
  void checkForTray();

  MenuController& menu() { return menu_; }
  // The main window while it is open.
  WindowController* window() { return window_.get(); }
  // The glow once a controller is attached.
  GlowController* glow() { return glow_.get(); }
  // The picture viewer once one has been opened, until it is replaced or closed by pruning.
  PictureViewer* pictureViewer() { return viewer_.get(); }
  TrayNote trayNote() const { return trayNote_; }
  static QString trayNoteText(TrayNote note);
  // The calibration window once it has been made.
  CalibrationWindow* calibrationWindow() { return calibration_.get(); }
  bool polling() const { return poll_.isActive(); }

  static TrayAvailable defaultTrayAvailable();
  // What an address names: a path is a local file, anything else must parse as a URL with a
  // scheme; otherwise none.
  static std::optional<QUrl> url(const std::string& address);

 private:
  // The controller's facts, with the score and login item of the last opening kept between
  // openings: only an opening reads them.
  MenuFacts facts(bool opening);
  void setTrayNote(TrayNote note);

  MenuController::Facts facts_;
  std::function<void()> quit_;
  TrayAvailable trayAvailable_;
  std::optional<MenuFacts> opened_;
  SystemLog& log_;
  AppController* app_ = nullptr;
  MenuController menu_;
  QTimer poll_;
  QDBusServiceWatcher watcher_;
  // A window of its own, made on first use and kept for the next calibration.
  std::unique_ptr<CalibrationWindow> calibration_;
  std::unique_ptr<WindowController> window_;
  std::unique_ptr<GlowController> glow_;
  int rememberedTab_ = 0;  // selected when the window last closed
  std::unique_ptr<PictureViewer> viewer_;
  TrayNote trayNote_ = TrayNote::none;
  bool menuInstalled_ = false;
  // The window is up only because there is no tray, so a tray closes it again.
  bool windowForTray_ = false;
};

}  // namespace kestrel
