#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/log/alert_history.hpp"
#include "platform/system_log.hpp"

class QMenu;
class QTabWidget;
class QWidget;

namespace kestrel {

class AppController;
class HistoryTab;
class HowItWorksTab;
class SettingsTab;
class TodayTab;

// The main window and its four tabs: Today, History, Settings, How it works. Made when the
// window is first opened and gone when it closes, remembering the tab that was selected for
// the next one. The Today tab's age line runs on a timer only while the window is on screen.
class WindowController : public QObject {
  Q_OBJECT

 public:
  static constexpr int contentWidth = 480;
  static constexpr int contentHeight = 400;

  // Called when the window closes, with the tab then selected.
  using Closed = std::function<void(int selectedTab)>;

  // `rememberedTab` is selected when it names History, Settings or How it works, else Today.
  WindowController(AppController& app, SystemLog& log, int rememberedTab, Closed closed, QObject* parent = nullptr);
  ~WindowController() override;

  // Reads the day's log, draws the Today tab and brings the window to the front.
  void show();
  // Today's score and alerts from the day's log, and the trend of the last weeks (read off
  // the main thread).
  void loadLog();
  // The Today tab from the monitor and the last log load.
  void draw();
  // The controller's news: `reloadLog` when the day's log changed; otherwise the pictures
  // or the camera may have, so a History tab on screen lists its days again.
  void refresh(bool reloadLog);
  // The Settings tab reads the calibration line again.
  void calibrationEnded();
  // Starts the age timer while the window is on screen and stops it otherwise.
  void syncTimer();
  // Where the desktop has no tray: why, and its menu behind a button on the Today tab.
  void setTrayNote(const QString& note, QMenu* menu);

  QWidget& window() { return *window_; }
  QTabWidget& tabs() { return *tabs_; }
  TodayTab& today() { return *today_; }
  HistoryTab& history() { return *history_; }
  SettingsTab& settingsTab() { return *settingsTab_; }
  HowItWorksTab& howItWorks() { return *howItWorks_; }
  bool ageTimerRunning() const { return ageTimer_.isActive(); }
  const std::optional<std::int64_t>& scorePercent() const { return scorePercent_; }
  const std::vector<AlertRow>& alertRows() const { return alertRows_; }

 signals:
  // The trend of the last weeks was drawn anew.
  void trendShown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void closing();
  void loadTrend();

  AppController& app_;
  Closed closed_;
  std::unique_ptr<QWidget> window_;
  QTabWidget* tabs_;
  TodayTab* today_;
  HistoryTab* history_;
  SettingsTab* settingsTab_;
  HowItWorksTab* howItWorks_;
  QTimer ageTimer_;
  std::optional<std::int64_t> scorePercent_;
  std::vector<AlertRow> alertRows_;
  int trendGeneration_ = 0;
  QPointer<QObject> watchedHandle_;
};

}  // namespace kestrel
