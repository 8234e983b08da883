#include "ui/menu_icon.hpp"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace kestrel::AlertViews {

namespace {

// Draws one state into a square, so that the tray gets a sharp image at every size it asks
// for instead of a scaled bitmap.
class PaintedIconEngine : public QIconEngine {
 public:
  explicit PaintedIconEngine(MenuIconState state) : state_(state) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(rect.width(), rect.height());
    if (side <= 0) return;
    const QRectF square(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (mode == QIcon::Disabled) painter->setOpacity(0.5);
    draw(*painter, square);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    const QSize pixels = size * std::max(scale, 1.0);
    if (pixels.isEmpty()) return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      paint(&painter, image.rect(), mode, state);
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(std::max(scale, 1.0));
    return pixmap;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
  }

  QIconEngine* clone() const override { return new PaintedIconEngine(state_); }
  QString key() const override { return QStringLiteral("KestrelMenuIcon"); }

 private:
  void draw(QPainter& p, const QRectF& square) const {
    const qreal s = square.width();
    const auto at = [&](qreal x, qreal y) { return QPointF(square.x() + x * s, square.y() + y * s); };
    const qreal margin = s / 16.0;
    // Strokes stay at least two pixels wide so that the small tray sizes still read.
    const qreal stroke = std::max(2.0, s * 0.125);
    const qreal ring = std::max(2.0, s * 0.1);
    const QColor tinted = color(tint(state_));
    const QRectF disc = square.adjusted(margin, margin, -margin, -margin);

    const auto pen = [](const QColor& c, qreal width) {
      return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    };

    switch (state_) {
      case MenuIconState::good: {
        p.setPen(Qt::NoPen);
        p.setBrush(tinted);
        p.drawEllipse(disc);
        p.setPen(pen(Qt::white, stroke));
        p.setBrush(Qt::NoBrush);
        const QPointF check[] = {at(0.28, 0.52), at(0.44, 0.67), at(0.72, 0.36)};
        p.drawPolyline(check, 3);
        return;
      }
      case MenuIconState::bad:
        p.setPen(Qt::NoPen);
        p.setBrush(tinted);
        p.drawEllipse(disc);
        p.setPen(pen(Qt::white, stroke));
        p.drawLine(at(0.34, 0.34), at(0.66, 0.66));
        p.drawLine(at(0.66, 0.34), at(0.34, 0.66));
        return;
      case MenuIconState::idle:
        p.setPen(pen(tinted, ring));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(disc.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2));
        p.setPen(pen(tinted, stroke));
        p.drawLine(at(0.32, 0.5), at(0.68, 0.5));
        return;
      case MenuIconState::cameraProblem:
        break;
    }
    QPainterPath triangle;
    triangle.moveTo(at(0.5, 0.1));
    triangle.lineTo(at(0.94, 0.88));
    triangle.lineTo(at(0.06, 0.88));
    triangle.closeSubpath();
    p.setPen(pen(tinted, ring));
    p.setBrush(Qt::NoBrush);
    p.drawPath(triangle);
    p.setPen(pen(tinted, stroke));
    p.drawLine(at(0.5, 0.38), at(0.5, 0.6));
    p.setPen(Qt::NoPen);
    p.setBrush(tinted);
    p.drawEllipse(at(0.5, 0.75), stroke * 0.55, stroke * 0.55);
  }

  MenuIconState state_;
};

}  // namespace

QColor color(MenuIconTint tint) {
  switch (tint) {
    case MenuIconTint::green:
      return QColor(52, 199, 89);
    case MenuIconTint::red:
      return QColor(255, 59, 48);
    case MenuIconTint::grey:
      break;
  }
  return QColor(142, 142, 147);
}

QString themeIconName(MenuIconState state) {
  switch (state) {
    case MenuIconState::good:
      return QStringLiteral("emblem-default");
    case MenuIconState::bad:
      return QStringLiteral("dialog-error");
    case MenuIconState::idle:
      return QStringLiteral("media-playback-pause");
    case MenuIconState::cameraProblem:
      break;
  }
  return QStringLiteral("dialog-warning");
}

QIcon paintedMenuIcon(MenuIconState state) { return QIcon(new PaintedIconEngine(state)); }

QIcon menuIcon(MenuIconState state) { return QIcon::fromTheme(themeIconName(state), paintedMenuIcon(state)); }

}  // namespace kestrel::AlertViews
