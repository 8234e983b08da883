#include "ui/score_trend_view.hpp"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace kestrel {

namespace {

constexpr double gap = 2;  // between bars

}  // namespace

ScoreTrendView::ScoreTrendView(std::int64_t targetPercent, QWidget* parent)
    : QWidget(parent), targetPercent_(targetPercent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ScoreTrendView::setScores(std::vector<DayScore> scores) {
  scores_ = std::move(scores);
  QStringList parts;
  for (const DayScore& s : scores_) {
    parts << QString::fromStdString(s.day) + QLatin1Char(' ') +
                 (s.percent ? QString::number(*s.percent) + QStringLiteral(" %") : QStringLiteral("no score"));
  }
  setAccessibleName(QStringLiteral("Daily scores of the last %1 days").arg(scores_.size()));
  setAccessibleDescription(parts.join(QStringLiteral(", ")));
  setToolTip(scores_.empty() ? QString()
                             : QStringLiteral("Daily scores from %1 to today; the line is the target of %2 %")
                                   .arg(QString::fromStdString(scores_.front().day))
                                   .arg(targetPercent_));
  update();
}

QRectF ScoreTrendView::plotArea() const { return QRectF(rect()).adjusted(1, 2, -1, -1); }

QRectF ScoreTrendView::barRect(std::size_t index) const {
  if (index >= scores_.size() || !scores_[index].percent) return {};
  const QRectF area = plotArea();
  const double slot = area.width() / static_cast<double>(scores_.size());
  const double h = area.height() * static_cast<double>(std::clamp<std::int64_t>(*scores_[index].percent, 0, 100)) / 100;
  // Even a score of zero shows a sliver, so that it reads as a day with a score.
  const double shown = std::max(h, 1.0);
  return {area.left() + slot * static_cast<double>(index) + gap / 2, area.bottom() - shown, slot - gap, shown};
}

double ScoreTrendView::targetY() const {
  const QRectF area = plotArea();
  return area.bottom() - area.height() * static_cast<double>(targetPercent_) / 100;
}

void ScoreTrendView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor text = palette().color(QPalette::WindowText);
  QColor faint = text;
  faint.setAlphaF(0.12);
  QColor bar = text;
  bar.setAlphaF(0.45);
  const QRectF area = plotArea();
  painter.setPen(QPen(faint, 1));
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.setPen(Qt::NoPen);
  for (std::size_t i = 0; i < scores_.size(); ++i) {
    const QRectF r = barRect(i);
    if (r.isEmpty()) continue;
    const bool today = i + 1 == scores_.size();
    painter.setBrush(today ? palette().color(QPalette::Highlight) : bar);
    painter.drawRect(r);
  }
  QPen target(text, 1, Qt::DashLine);
  painter.setPen(target);
  painter.drawLine(QPointF(area.left(), targetY()), QPointF(area.right(), targetY()));
}

}  // namespace kestrel
