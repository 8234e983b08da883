#include "ui/glow_view.hpp"

#include <QPainter>
#include <QRegion>
#include <QScreen>

namespace kestrel {

GlowView::GlowView(const GlowShape& shape, QRect frame, bool translucent, QScreen* screen)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput | Qt::Tool |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      shape_(shape),
      frame_(frame),
      translucent_(translucent) {
  setWindowTitle(QStringLiteral("Kestrel glow"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_X11DoNotAcceptFocus);
  setFocusPolicy(Qt::NoFocus);
  if (screen) setScreen(screen);
  if (translucent_) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Room for the shadow beside and below the shape; above it is the screen's edge.
    setGeometry(frame.adjusted(-shadowRadius, 0, shadowRadius, shadowRadius));
  } else {
    setGeometry(frame);
    setMask(QRegion(outline(QRectF(0, 0, frame.width(), frame.height()), shape.kind, shape.cornerRadius)
                        .toFillPolygon()
                        .toPolygon()));
  }
}

void GlowView::setLevel(double level) {
  if (level == level_) return;
  level_ = level;
  update();
}

QRectF GlowView::body() const {
  return translucent_ ? QRectF(shadowRadius, 0, frame_.width(), frame_.height())
                      : QRectF(0, 0, frame_.width(), frame_.height());
}

QPainterPath GlowView::outline(const QRectF& rect, GlowShape::Kind kind, double radius) {
  QPainterPath path;
  const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
  if (kind == GlowShape::Kind::bar) {
    path.addRoundedRect(rect, r, r);
    return path;
  }
  path.moveTo(rect.topLeft());
  path.lineTo(rect.topRight());
  path.lineTo(rect.right(), rect.bottom() - r);
  path.arcTo(QRectF(rect.right() - 2 * r, rect.bottom() - 2 * r, 2 * r, 2 * r), 0, -90);
  path.lineTo(rect.left() + r, rect.bottom());
  path.arcTo(QRectF(rect.left(), rect.bottom() - 2 * r, 2 * r, 2 * r), 270, -90);
  path.closeSubpath();
  return path;
}

void GlowView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QRectF shape = body();
  if (!translucent_) {
    // Opaque: the pulse pales the orange toward white instead of letting the desktop through.
    const QColor o = orange();
    const auto mix = [this](int c) { return static_cast<int>(c * level_ + 255 * (1 - level_)); };
    painter.fillRect(rect(), QColor(mix(o.red()), mix(o.green()), mix(o.blue())));
    return;
  }
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  // The shadow: rings that widen by a pixel each, adding up to a soft edge that fades out
  // over the radius.
  QColor ring = orange();
  ring.setAlphaF(static_cast<float>(0.08 * level_));
  for (int i = shadowRadius; i >= 1; --i) {
    painter.setBrush(ring);
    painter.drawPath(outline(shape.adjusted(-i, -i, i, i), shape_.kind, shape_.cornerRadius + i));
  }
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  QColor fill = orange();
  fill.setAlphaF(static_cast<float>(alpha * level_));
  painter.setBrush(fill);
  painter.drawPath(outline(shape, shape_.kind, shape_.cornerRadius));
}

}  // namespace kestrel
