#include "ui/camera_view.hpp"

#include <QPainter>
#include <algorithm>
#include <QPen>

namespace kestrel {

CameraView::CameraView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CameraView::showPicture(const QImage& picture, const QList<QRectF>& faces) {
  picture_ = picture;
  faces_ = faces;
  status_.clear();
  detail_.clear();
  update();
}

void CameraView::showStatus(const QString& status, const QString& detail) {
  picture_ = QImage();
  faces_.clear();
  status_ = status;
  detail_ = detail;
  update();
}

QRectF CameraView::pictureRect() const {
  if (picture_.isNull() || picture_.width() <= 0 || picture_.height() <= 0) return {};
  const double scale = std::min(static_cast<double>(width()) / picture_.width(),
                                static_cast<double>(height()) / picture_.height());
  const double w = picture_.width() * scale;
  const double h = picture_.height() * scale;
  return {(width() - w) / 2, (height() - h) / 2, w, h};
}

void CameraView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(24, 24, 24));
  if (!picture_.isNull()) {
    const QRectF target = pictureRect();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture_);
    const double scale = target.width() / picture_.width();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(52, 199, 89), 2));
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& face : faces_) {
      painter.drawRoundedRect(QRectF(target.left() + face.left() * scale, target.top() + face.top() * scale,
                                     face.width() * scale, face.height() * scale),
                              4, 4);
    }
    return;
  }
  painter.setPen(QColor(230, 230, 230));
  QFont font = painter.font();
  font.setPointSizeF(font.pointSizeF() * 1.2);
  painter.setFont(font);
  const QRect upper = detail_.isEmpty() ? rect() : QRect(0, 0, width(), height() / 2);
  painter.drawText(upper, detail_.isEmpty() ? Qt::AlignCenter : (Qt::AlignHCenter | Qt::AlignBottom), status_);
  if (!detail_.isEmpty()) {
    font.setPointSizeF(font.pointSizeF() / 1.2);
    painter.setFont(font);
    painter.setPen(QColor(170, 170, 170));
    painter.drawText(QRect(12, height() / 2 + 6, width() - 24, height() / 2 - 12),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, detail_);
  }
}

}  // namespace kestrel
