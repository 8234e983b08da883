#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "core/log/alert_history.hpp"
#include "core/log/score_trend.hpp"
#include "core/monitor/status_texts.hpp"

class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace kestrel {

class ScoreTrendView;

// The Today tab: the last check's icon and line, the status, how long ago the last check
// was, today's score against the target with the trend of the last weeks under it, and
// today's alerts. Where the desktop has no tray it also says why, with a button for the menu.
class TodayTab : public QWidget {
  Q_OBJECT

 public:
  explicit TodayTab(QWidget* parent = nullptr);

  void show(const TodaySummary& summary, const std::vector<AlertRow>& alerts);
  void setAge(const std::string& age);
  void setTrend(std::vector<DayScore> scores);
  // Without a tray: why, and the tray's menu behind a button; an empty note and no menu
  // remove both.
  void setTrayNote(const QString& note, QMenu* menu);

  QLabel* icon() const { return icon_; }
  QLabel* iconLabel() const { return iconLabel_; }
  QLabel* status() const { return status_; }
  QLabel* age() const { return age_; }
  QLabel* score() const { return score_; }
  QLabel* target() const { return target_; }
  QLabel* trayNote() const { return trayNote_; }
  QPushButton* menuButton() const { return menuButton_; }
  ScoreTrendView* trend() const { return trend_; }
  // The texts of the alert column as shown, one per row.
  QStringList alertTexts() const;
  // How often the alert column was built anew.
  int alertBuilds() const { return alertBuilds_; }

 private:
  QLabel* icon_;
  QLabel* iconLabel_;
  QLabel* status_;
  QLabel* age_;
  QLabel* score_;
  QLabel* target_;
  QLabel* alertsTitle_;
  QWidget* alerts_;
  QVBoxLayout* alertsLayout_;
  ScoreTrendView* trend_;
  QLabel* trayNote_;
  QPushButton* menuButton_;
  std::optional<std::vector<AlertRow>> shownRows_;
  int alertBuilds_ = 0;
};

}  // namespace kestrel
