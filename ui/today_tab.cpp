#include "ui/today_tab.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/menu_icon.hpp"
#include "ui/score_trend_view.hpp"

namespace kestrel {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Sizes in pixels, the same on every desktop's default font size.
QLabel* label(QWidget* parent, double points, bool secondary = false, bool bold = false) {
  auto* l = new QLabel(parent);
  QFont font = l->font();
  if (points > 0) font.setPixelSize(static_cast<int>(points));
  font.setBold(bold);
  l->setFont(font);
  if (secondary) l->setForegroundRole(QPalette::PlaceholderText);
  return l;
}

constexpr int iconSide = 40;

}  // namespace

TodayTab::TodayTab(QWidget* parent)
    : QWidget(parent),
      icon_(new QLabel(this)),
      iconLabel_(label(this, 12, true)),
      status_(label(this, 15, false, true)),
      age_(label(this, 12, true)),
      score_(label(this, 22, false, true)),
      target_(label(this, 12, true)),
      alertsTitle_(label(this, 13, false, true)),
      alerts_(new QWidget),
      alertsLayout_(new QVBoxLayout(alerts_)),
      trend_(new ScoreTrendView(TodaySummary::targetPercent, this)),
      trayNote_(label(this, 12)),
      menuButton_(new QPushButton(QStringLiteral("Menu"), this)) {
  auto* column = new QVBoxLayout(this);
  column->setSpacing(14);
  column->setContentsMargins(20, 16, 20, 16);

  auto* top = new QHBoxLayout;
  icon_->setFixedSize(iconSide, iconSide);
  top->addWidget(icon_, 0, Qt::AlignTop);
  auto* lines = new QVBoxLayout;
  lines->setSpacing(2);
  iconLabel_->setWordWrap(true);
  status_->setWordWrap(true);
  lines->addWidget(status_);
  lines->addWidget(iconLabel_);
  top->addLayout(lines, 1);
  column->addLayout(top);
  column->addWidget(age_);

  auto* good = new QVBoxLayout;
  good->setSpacing(4);
  QLabel* caption = label(this, 12, true);
  caption->setText(QStringLiteral("Today's good"));
  good->addWidget(caption);
  auto* scoreRow = new QHBoxLayout;
  scoreRow->addWidget(score_, 0, Qt::AlignBottom);
  scoreRow->addSpacing(8);
  target_->setText(text(TodaySummary::targetText));
  scoreRow->addWidget(target_, 0, Qt::AlignBottom);
  scoreRow->addStretch();
  good->addLayout(scoreRow);
  trend_->setFixedHeight(44);
  good->addWidget(trend_);
  column->addLayout(good);

  alertsTitle_->setText(QStringLiteral("Recent alerts"));
  column->addWidget(alertsTitle_);
  alertsLayout_->setSpacing(4);
  alertsLayout_->setContentsMargins(0, 0, 0, 0);
  auto* scroller = new QScrollArea(this);
  scroller->setWidget(alerts_);
  scroller->setWidgetResizable(true);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroller->viewport()->setAutoFillBackground(false);
  alerts_->setAutoFillBackground(false);
  // The rows scroll, so that the note of a desktop without a tray always fits under them.
  scroller->setMinimumHeight(36);
  column->addWidget(scroller, 1);

  auto* noTray = new QHBoxLayout;
  trayNote_->setWordWrap(true);
  trayNote_->setObjectName(QStringLiteral("trayNote"));
  noTray->addWidget(trayNote_, 1);
  noTray->addWidget(menuButton_, 0, Qt::AlignTop);
  column->addLayout(noTray);
  trayNote_->hide();
  menuButton_->hide();
}

void TodayTab::show(const TodaySummary& summary, const std::vector<AlertRow>& alerts) {
  const MenuIconState state = summary.icon.state;
  icon_->setPixmap(AlertViews::menuIcon(state).pixmap(iconSide, iconSide));
  icon_->setAccessibleName(text(label(state)));
  icon_->setToolTip(text(label(state)));
  iconLabel_->setText(QString::fromStdString(summary.lastCheck));
  status_->setText(QString::fromStdString(summary.status));
  age_->setText(QString::fromStdString(summary.age));
  score_->setText(QString::fromStdString(summary.scoreText));

  if (shownRows_ == alerts) return;
  ++alertBuilds_;
  while (QLayoutItem* item = alertsLayout_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  auto add = [this](const QString& line) {
    QLabel* row = label(alerts_, 12);
    row->setWordWrap(true);
    row->setText(line);
    alertsLayout_->addWidget(row);
  };
  if (alerts.empty()) add(text(AlertHistory::emptyText));
  for (const AlertRow& row : alerts) add(QString::fromStdString(row.text()));
  alertsLayout_->addStretch();
  shownRows_ = alerts;
}

void TodayTab::setAge(const std::string& age) { age_->setText(QString::fromStdString(age)); }

void TodayTab::setTrend(std::vector<DayScore> scores) { trend_->setScores(std::move(scores)); }

void TodayTab::setTrayNote(const QString& note, QMenu* menu) {
  trayNote_->setText(note);
  trayNote_->setVisible(!note.isEmpty());
  menuButton_->setMenu(menu);
  menuButton_->setVisible(menu != nullptr);
  menuButton_->setAccessibleName(QStringLiteral("Kestrel menu"));
}

QStringList TodayTab::alertTexts() const {
  QStringList texts;
  for (int i = 0; i < alertsLayout_->count(); ++i) {
    if (auto* l = qobject_cast<QLabel*>(alertsLayout_->itemAt(i)->widget())) texts << l->text();
  }
  return texts;
}

}  // namespace kestrel
