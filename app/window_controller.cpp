#include "app/window_controller.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QWindow>

#include "app/app_controller.hpp"
#include "core/launch/app_info.hpp"
#include "core/log/score_trend.hpp"
#include "core/log/today_log.hpp"
#include "core/settings/how_it_works.hpp"
#include "core/settings/window_tab.hpp"
#include "ui/history_tab.hpp"
#include "ui/how_it_works_tab.hpp"
#include "ui/settings_tab.hpp"
#include "ui/today_tab.hpp"

namespace kestrel {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::vector<ActiveAlert> activeAlerts(const Monitor& monitor) {
  std::vector<ActiveAlert> alerts;
  for (const auto& [module, alert] : monitor.alerts()) alerts.push_back(alert);
  return alerts;
}

}  // namespace

WindowController::WindowController(AppController& app, SystemLog& log, int rememberedTab, Closed closed,
                                   QObject* parent)
    : QObject(parent), app_(app), closed_(std::move(closed)), window_(std::make_unique<QWidget>()) {
  window_->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
  window_->setWindowTitle(text(AppInfo::name));
  window_->setFixedSize(contentWidth, contentHeight);
  auto* layout = new QVBoxLayout(window_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(window_.get());
  tabs_->setDocumentMode(true);
  layout->addWidget(tabs_);

  today_ = new TodayTab;
  history_ = new HistoryTab([store = app_.pictureStore()] { return store.days(); },
                            [this](const std::string& day, const std::string& stem) { app_.openPicture(day, stem); },
                            [this] { app_.confirmDeleteAllPictures(); });
  SettingsTab::Actions actions{[this] { return app_.settings(); },
                               [this](const AppSettings& s) { app_.updateSettings(s); },
                               [this](const std::string& sound) { app_.playChime(sound, true); },
                               [this] { app_.confirmDeleteAllPictures(); },
                               [this] { app_.toggleLoginItem(); },
                               [this] { app_.openCalibration(); },
                               [this] { return app_.loginStatus(); },
                               [this] { return app_.baselineDate(); },
                               [&log](const std::string& line) { log.notice(line); }};
  settingsTab_ = new SettingsTab(std::move(actions), app_.chimeLibrary(), app_.logClock().timeZone);
  howItWorks_ = new HowItWorksTab([this] {
    return HowItWorks::text(app_.monitor().checkThresholds(), CheckLogStore::retentionDays, app_.settings(),
                            app_.versionLine());
  });
  QWidget* pages[] = {today_, history_, settingsTab_, howItWorks_};
  for (const auto& [tab, name] : EnumTexts<WindowTab>::table) {
    tabs_->addTab(pages[index(tab)], QString::fromStdString(title(tab)));
  }
  tabs_->setCurrentIndex(static_cast<int>(index(windowTab(rememberedTab))));
  // The tabs never lend the window their titles.
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { window_->setWindowTitle(text(AppInfo::name)); });

  ageTimer_.setInterval(1000);
  connect(&ageTimer_, &QTimer::timeout, this, [this] {
    today_->setAge(TodaySummary::ageText(app_.monitor().lastHandledCheckAt(), app_.now()));
  });
  window_->installEventFilter(this);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect free = screen->availableGeometry();
    window_->move(free.center() - QPoint(contentWidth / 2, contentHeight / 2));
  }
  loadLog();
  draw();
}

WindowController::~WindowController() {
  // The window hides as it goes: nothing of that may reach a controller half gone.
  window_->removeEventFilter(this);
  if (watchedHandle_) {
    watchedHandle_->removeEventFilter(this);
    disconnect(watchedHandle_, nullptr, this, nullptr);
  }
  ageTimer_.stop();
}

void WindowController::show() {
  loadLog();
  draw();
  window_->show();
  window_->raise();
  window_->activateWindow();
  if (QWindow* handle = window_->windowHandle(); handle && watchedHandle_ != handle) {
    watchedHandle_ = handle;
    handle->installEventFilter(this);
    connect(handle, &QWindow::visibilityChanged, this, [this] {
      syncTimer();
      if (ageTimerRunning()) {
        loadLog();
        draw();
      }
    });
  }
  QMetaObject::invokeMethod(this, &WindowController::syncTimer, Qt::QueuedConnection);
}

void WindowController::loadLog() {
  const TodayLog day = TodayLog::read(app_.log(), activeAlerts(app_.monitor()), app_.settings().glowEnabled, app_.now());
  scorePercent_ = day.scorePercent;
  alertRows_ = day.alerts;
  loadTrend();
}

void WindowController::loadTrend() {
  const int generation = ++trendGeneration_;
  QPointer<WindowController> self(this);
  QThreadPool::globalInstance()->start([self, generation, log = app_.log(), now = app_.now()] {
    std::vector<DayScore> scores = ScoreTrend::read(log, now);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self, generation, scores = std::move(scores)]() mutable {
          WindowController* window = self.data();
          if (window == nullptr || window->trendGeneration_ != generation) return;
          window->today_->setTrend(std::move(scores));
          emit window->trendShown();
        },
        Qt::QueuedConnection);
  });
}

void WindowController::draw() {
  today_->show(TodaySummary(app_.monitor(), app_.permission(), scorePercent_, app_.now()), alertRows_);
}

void WindowController::refresh(bool reloadLog) {
  if (reloadLog) {
    loadLog();
  } else if (history_->isShown()) {
    history_->reload();
  }
  draw();
}

void WindowController::calibrationEnded() {
  settingsTab_->reloadSystemState(SettingsRefresh::Trigger::calibrationEnded, windowTab(tabs_->currentIndex()));
}

void WindowController::syncTimer() {
  const QWindow* handle = window_->windowHandle();
  const bool onScreen = window_->isVisible() && !window_->isMinimized() && handle && handle->isExposed();
  if (onScreen && !ageTimer_.isActive()) {
    ageTimer_.start();
  } else if (!onScreen) {
    ageTimer_.stop();
  }
}

void WindowController::setTrayNote(const QString& note, QMenu* menu) { today_->setTrayNote(note, menu); }

bool WindowController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.get() && event->type() == QEvent::Close) {
    closing();
  } else if (watched == watchedHandle_ && event->type() == QEvent::Expose) {
    QMetaObject::invokeMethod(this, &WindowController::syncTimer, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

void WindowController::closing() {
  ageTimer_.stop();
  window_->removeEventFilter(this);
  if (closed_) closed_(tabs_->currentIndex());
}

}  // namespace kestrel
