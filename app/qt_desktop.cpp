#include "app/qt_desktop.hpp"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QUrl>

namespace kestrel {

namespace {

QString qt(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QtDesktop::QtDesktop(MenuController::Facts facts, MenuController::Choose choose, std::function<void()> quit,
                     SystemLog& log, TrayAvailable trayAvailable, QObject* parent)
    : QObject(parent),
      facts_(std::move(facts)),
      quit_(std::move(quit)),
      trayAvailable_(std::move(trayAvailable)),
      window_(choose),
      menu_([this](bool opening) { return this->facts(opening); }, choose, log) {
  poll_.setInterval(trayPollMilliseconds);
  connect(&poll_, &QTimer::timeout, this, &QtDesktop::checkForTray);
  // StatusNotifierItem trays register this name on the session bus when they start.
  watcher_.setConnection(QDBusConnection::sessionBus());
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
  watcher_.addWatchedService(QStringLiteral("org.kde.StatusNotifierWatcher"));
  connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    if (!menuInstalled_) {
      checkForTray();
      // The toolkit looks for a status-notifier tray only once per run.
      if (!menuInstalled_) window_.setTrayNote(StatusWindow::TrayNote::restartNeeded);
    }
  });
}

QtDesktop::TrayAvailable QtDesktop::defaultTrayAvailable() {
  return [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
}

MenuFacts QtDesktop::facts(bool opening) {
  MenuFacts f = facts_(opening);
  if (opening) {
    opened_ = f;
  } else if (opened_) {
    f.scorePercent = opened_->scorePercent;
    f.login = opened_->login;
  }
  return f;
}

void QtDesktop::installMenu() {
  if (menuInstalled_ || poll_.isActive()) return;
  if (trayAvailable_()) {
    menu_.install();
    menuInstalled_ = true;
    return;
  }
  window_.setTrayNote(StatusWindow::TrayNote::missing);
  windowForTray_ = !window_.isVisible();
  showWindow();
  poll_.start();
}

void QtDesktop::checkForTray() {
  if (menuInstalled_ || !trayAvailable_()) return;
  poll_.stop();
  menu_.install();
  menuInstalled_ = true;
  window_.setTrayNote(StatusWindow::TrayNote::none);
  if (windowForTray_) window_.hide();
  windowForTray_ = false;
}

void QtDesktop::refreshMenu() {
  if (menuInstalled_) menu_.refresh(facts(false));
  if (window_.isVisible()) window_.refresh(facts(false));
}

void QtDesktop::updateGlow(bool, const std::vector<MonitorEvent>&) {
  // The glow windows along the top of the screens come as a view of their own; until then
  // an alert shows in the tray icon and the status line only.
}

bool QtDesktop::windowOpen() const { return window_.isVisible(); }

void QtDesktop::showWindow() {
  // Showing the window reads the facts as opening the menu does.
  window_.refresh(facts(true));
  window_.show();
  window_.raise();
  window_.activateWindow();
}

void QtDesktop::refreshWindow(bool reloadLog) {
  if (window_.isVisible()) window_.refresh(facts(reloadLog));
}

bool QtDesktop::calibrationOpen() const { return calibration_ && calibration_->isVisible(); }

void QtDesktop::openCalibration(CalibrationActions actions) {
  if (!calibration_) calibration_ = std::make_unique<CalibrationWindow>();
  calibration_->setActions(std::move(actions));
  calibration_->showWaiting();
  calibration_->place();
  calibration_->show();
}

void QtDesktop::showCalibration(const CalibrationScreen& screen) {
  if (calibration_) calibration_->showScreen(screen);
}

void QtDesktop::bringCalibrationForward() {
  if (calibration_) calibration_->bringForward();
}

void QtDesktop::closeCalibration() {
  if (!calibration_) return;
  calibration_->hide();
  calibration_->setActions({});
}

void QtDesktop::showCalibrationPicture(const FrameSource::Preview& preview) {
  if (calibrationOpen()) calibration_->showPicture(preview);
}

void QtDesktop::showCalibrationCameraMissing(const std::string& reason) {
  if (calibration_) calibration_->showCameraMissing(qt(reason));
}

bool QtDesktop::confirm(const std::string& title, const std::string& text, const std::string& accept,
                        const std::string& reject) {
  QWidget* over = nullptr;
  if (calibrationOpen()) {
    over = calibration_.get();
  } else if (window_.isVisible()) {
    over = &window_;
  }
  QMessageBox box(QMessageBox::Question, qt(title), qt(text), QMessageBox::NoButton, over);
  QPushButton* yes = box.addButton(qt(accept), QMessageBox::AcceptRole);
  box.addButton(qt(reject), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<QUrl> QtDesktop::url(const std::string& address) {
  if (address.starts_with('/')) return QUrl::fromLocalFile(qt(address));
  const QUrl parsed(qt(address), QUrl::StrictMode);
  if (!parsed.isValid() || parsed.scheme().isEmpty()) return std::nullopt;
  return parsed;
}

void QtDesktop::openAddress(const std::string& address) {
  if (const std::optional<QUrl> u = url(address)) QDesktopServices::openUrl(*u);
}

void QtDesktop::quit() { quit_(); }

}  // namespace kestrel
