#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/calibration_window.hpp"
#include "app/desktop.hpp"
#include "app/status_window.hpp"
#include "app/tray_menu.hpp"

namespace kestrel {

// The desktop as Qt draws it: the tray icon with its menu, or the status window where the
// desktop has no tray, modal questions, and addresses opened with the desktop's handler.
class QtDesktop : public QObject, public Desktop {
  Q_OBJECT

 public:
  // Whether the desktop shows a tray now.
  using TrayAvailable = std::function<bool()>;
  // How often a desktop without a tray is asked again.
  static constexpr int trayPollMilliseconds = 5000;

  // `facts` and `choose` are the controller's; `quit` ends the program in order.
  QtDesktop(MenuController::Facts facts, MenuController::Choose choose, std::function<void()> quit, SystemLog& log,
            TrayAvailable trayAvailable = defaultTrayAvailable(), QObject* parent = nullptr);

  void installMenu() override;
  void refreshMenu() override;
  void updateGlow(bool forced, const std::vector<MonitorEvent>& events) override;
  bool windowOpen() const override;
  void showWindow() override;
  void refreshWindow(bool reloadLog) override;
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
  StatusWindow& window() { return window_; }
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

  MenuController::Facts facts_;
  std::function<void()> quit_;
  TrayAvailable trayAvailable_;
  std::optional<MenuFacts> opened_;
  StatusWindow window_;
  MenuController menu_;
  QTimer poll_;
  QDBusServiceWatcher watcher_;
  // A window of its own, made on first use and kept for the next calibration.
  std::unique_ptr<CalibrationWindow> calibration_;
  bool menuInstalled_ = false;
  // The window is up only because there is no tray, so a tray closes it again.
  bool windowForTray_ = false;
};

}  // namespace kestrel
