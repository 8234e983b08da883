#include "app/qt_desktop.hpp"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QUrl>

#include "app/app_controller.hpp"
#include "core/pictures/picture_prune.hpp"

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
      log_(log),
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
      if (!menuInstalled_) setTrayNote(TrayNote::restartNeeded);
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
  setTrayNote(TrayNote::missing);
  windowForTray_ = !windowOpen();
  showWindow();
  poll_.start();
}

void QtDesktop::checkForTray() {
  if (menuInstalled_ || !trayAvailable_()) return;
  poll_.stop();
  menu_.install();
  menuInstalled_ = true;
  setTrayNote(TrayNote::none);
  if (windowForTray_ && window_) window_->window().close();
  windowForTray_ = false;
}

void QtDesktop::refreshMenu() {
  if (menuInstalled_) menu_.refresh(facts(false));
}

void QtDesktop::attach(AppController& app, GlowController::Probe glowProbe) {
  app_ = &app;
  glow_ = std::make_unique<GlowController>(app, log_, std::move(glowProbe));
}

void QtDesktop::updateGlow(bool forced, const std::vector<MonitorEvent>& events) {
  if (glow_) glow_->update(forced, events);
}

bool QtDesktop::windowOpen() const { return window_ != nullptr; }

void QtDesktop::showWindow() {
  if (!app_) return;
  if (!window_) {
    window_ = std::make_unique<WindowController>(*app_, log_, rememberedTab_, [this](int selected) {
      rememberedTab_ = selected;
      windowForTray_ = false;
      // The window is closing in its own event: it goes once that is over.
      window_.release()->deleteLater();
    });
    setTrayNote(trayNote_);
  }
  window_->show();
}

void QtDesktop::refreshWindow(bool reloadLog) {
  if (window_) window_->refresh(reloadLog);
}

void QtDesktop::openPicture(const std::string& day, const std::string& stem) {
  if (!app_) return;
  viewer_.reset();
  viewer_ = std::make_unique<PictureViewer>(app_->pictureStore(), day, stem,
                                            [this](const std::string& line) { log_.notice(line); });
  viewer_->show();
  viewer_->raise();
  viewer_->activateWindow();
}

void QtDesktop::picturesPruned(const std::vector<std::string>& days) {
  const std::optional<std::string> viewerDay = viewer_ ? std::optional(viewer_->day()) : std::nullopt;
  if (PicturePrune::closesViewer(viewerDay, days)) {
    if (viewer_->isVisible()) log_.notice("picture viewer closed reason=pruned");
    viewer_.reset();
  }
  refreshWindow(false);
}

void QtDesktop::calibrationEnded() {
  if (window_) window_->calibrationEnded();
}

void QtDesktop::setTrayNote(TrayNote note) {
  trayNote_ = note;
  if (window_) window_->setTrayNote(trayNoteText(note), note == TrayNote::none ? nullptr : &menu_.menu());
}

QString QtDesktop::trayNoteText(TrayNote note) {
  switch (note) {
    case TrayNote::none:
      break;
    case TrayNote::missing:
      return QStringLiteral(
          "There is no tray icon because this desktop shows no system tray: on GNOME, turn on the "
          "“AppIndicator and KStatusNotifierItem Support” extension (package "
          "gnome-shell-extension-appindicator) and start Kestrel again; on other desktops, add a system "
          "tray to the panel.");
    case TrayNote::restartNeeded:
      return QStringLiteral("A system tray has appeared: quit Kestrel and start it again to put its icon there.");
  }
  return {};
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
  } else if (window_) {
    over = &window_->window();
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
