#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "core/pictures/picture_drawing.hpp"

namespace kestrel {

// The line drawing of an alert's frame, as the History tab's tiles and the picture viewer
// show it: a rounded background, and within it, fitted to the frame's aspect and mirrored,
// the dashed chin region, the face box, the body's lines and points and the hand's points.
class PictureDrawingView : public QWidget {
  Q_OBJECT

 public:
  explicit PictureDrawingView(std::optional<PictureDrawing> drawing = std::nullopt, QWidget* parent = nullptr);

  const std::optional<PictureDrawing>& drawing() const { return drawing_; }
  void setDrawing(std::optional<PictureDrawing> drawing);

  // The system orange of the chin region and the hand points.
  static QColor orange() { return QColor(255, 149, 0); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<PictureDrawing> drawing_;
};

}  // namespace kestrel
