#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "core/log/score_trend.hpp"

namespace kestrel {

// The daily scores of the last weeks as a small bar chart: one bar per day from 0 to 100 %,
// oldest on the left, a day without a score left as a gap, today's bar in the accent colour
// and the target as a dashed line across.
class ScoreTrendView : public QWidget {
  Q_OBJECT

 public:
  explicit ScoreTrendView(std::int64_t targetPercent, QWidget* parent = nullptr);

  void setScores(std::vector<DayScore> scores);
  const std::vector<DayScore>& scores() const { return scores_; }

  // Where the bar of day `index` is drawn (empty for a gap), in the view's coordinates.
  QRectF barRect(std::size_t index) const;
  // The height of the target line from the top.
  double targetY() const;

  QSize sizeHint() const override { return {220, 48}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF plotArea() const;

  std::int64_t targetPercent_;
  std::vector<DayScore> scores_;
};

}  // namespace kestrel
