#include "ui/picture_drawing_view.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace kestrel {

namespace {

namespace L = PictureDrawingLayout;

// The drawing's layout works with the origin at the bottom left; Qt's y grows downwards.
struct Flip {
  double height;
  QPointF operator()(const Point& p) const { return {p.x, height - p.y}; }
  QRectF operator()(const Rect& r) const { return {r.minX, height - r.maxY(), r.width, r.height}; }
};

}  // namespace

PictureDrawingView::PictureDrawingView(std::optional<PictureDrawing> drawing, QWidget* parent)
    : QWidget(parent), drawing_(std::move(drawing)) {}

void PictureDrawingView::setDrawing(std::optional<PictureDrawing> drawing) {
  drawing_ = std::move(drawing);
  update();
}

void PictureDrawingView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor label = palette().color(QPalette::WindowText);
  // The quaternary label colour: the label colour at a tenth of its strength.
  QColor background = label;
  background.setAlphaF(0.1);
  painter.setPen(Qt::NoPen);
  painter.setBrush(background);
  painter.drawRoundedRect(QRectF(rect()), L::cornerRadius, L::cornerRadius);
  if (!drawing_ || drawing_->isEmpty()) return;

  const Flip flip{static_cast<double>(height())};
  const Rect area = L::drawingArea(Rect{0, 0, static_cast<double>(width()), static_cast<double>(height())},
                                   drawing_->aspect);
  painter.setBrush(Qt::NoBrush);
  if (drawing_->chinRegion) {
    QPen dashed(orange(), L::chinLineWidth);
    // Qt counts dashes in line widths.
    dashed.setDashPattern({L::chinDash / L::chinLineWidth, L::chinDash / L::chinLineWidth});
    dashed.setDashOffset(0);
    painter.setPen(dashed);
    painter.drawRect(flip(L::place(*drawing_->chinRegion, area)));
  }
  painter.setPen(QPen(label, L::lineWidth));
  if (drawing_->faceBox) {
    painter.drawRoundedRect(flip(L::place(*drawing_->faceBox, area)), L::cornerRadius, L::cornerRadius);
  }
  for (const Segment& s : drawing_->segments) painter.drawLine(flip(L::place(s.a, area)), flip(L::place(s.b, area)));
  painter.setPen(Qt::NoPen);
  painter.setBrush(label);
  constexpr double bodyRadius = L::bodyPointDiameter / 2;
  for (const Point& p : drawing_->bodyPoints) painter.drawEllipse(flip(L::place(p, area)), bodyRadius, bodyRadius);
  painter.setBrush(orange());
  constexpr double handRadius = L::handPointDiameter / 2;
  for (const Point& p : drawing_->handPoints) painter.drawEllipse(flip(L::place(p, area)), handRadius, handRadius);
}

}  // namespace kestrel
