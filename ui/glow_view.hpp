#pragma once

#include <QPainterPath>
#include <QRect>
#include <QWidget>

#include "core/monitor/glow_placement.hpp"

class QScreen;

namespace kestrel {

// One screen's glow: a window that never takes focus or the pointer, drawing the shape in
// orange. With a compositing manager it is translucent and casts a soft orange shadow around
// the shape; without one, translucent pixels would show black, so the window is cut to the
// shape and painted opaque.
class GlowView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int shadowRadius = 8;
  static constexpr double alpha = 0.85;
  static QColor orange() { return {255, 149, 0}; }

  // `frame` is the shape's frame on `screen` in Qt's coordinates.
  GlowView(const GlowShape& shape, QRect frame, bool translucent, QScreen* screen);

  const GlowShape& shape() const { return shape_; }
  QRect frame() const { return frame_; }
  bool translucent() const { return translucent_; }
  // 1 at rest; down to the pulse's dimmed level and back while it pulses.
  double level() const { return level_; }
  void setLevel(double level);

  // The shape's outline in `rect`: every corner rounded for a bar, only the lower two for a
  // notch (the upper ones meet the screen's edge).
  static QPainterPath outline(const QRectF& rect, GlowShape::Kind kind, double radius);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The shape within the window, which is larger by the shadow when there is one.
  QRectF body() const;

  GlowShape shape_;
  QRect frame_;
  bool translucent_;
  double level_ = 1.0;
};

}  // namespace kestrel
