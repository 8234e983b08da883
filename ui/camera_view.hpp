#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QWidget>

namespace kestrel {

// A live camera picture, scaled to fit the view without cropping (the rest stays dark), with
// face boxes drawn over it; or, while there is no picture, a line of status and an optional
// second line saying why.
class CameraView : public QWidget {
  Q_OBJECT

 public:
  explicit CameraView(QWidget* parent = nullptr);

  // `faces` are in the picture's pixels, origin at its top left.
  void showPicture(const QImage& picture, const QList<QRectF>& faces);
  // Drops the picture and shows the status instead.
  void showStatus(const QString& status, const QString& detail = {});

  bool hasPicture() const { return !picture_.isNull(); }
  const QString& status() const { return status_; }
  const QString& detail() const { return detail_; }
  // Where the picture is drawn within the view.
  QRectF pictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QList<QRectF> faces_;
  QString status_;
  QString detail_;
};

}  // namespace kestrel
