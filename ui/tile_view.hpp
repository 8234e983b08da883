#pragma once

#include <QAbstractButton>
#include <functional>
#include <string>

#include "core/pictures/picture_store.hpp"

class QLabel;

namespace kestrel {

class PictureDrawingView;

// One picture in the History tab: its line drawing over the caption "time  hint". A button
// to the keyboard and to assistive technology: a click, Enter or Space opens the picture.
class TileView : public QAbstractButton {
  Q_OBJECT

 public:
  using Open = std::function<void(const std::string& day, const std::string& stem)>;

  static constexpr int width = 140;
  static constexpr int drawingHeight = 76;
  static constexpr int captionLines = 2;

  TileView(const PictureEntry& entry, Open onOpen, QWidget* parent = nullptr);

  const std::string& day() const { return day_; }
  const std::string& stem() const { return stem_; }
  QLabel* caption() const { return caption_; }
  PictureDrawingView* drawingView() const { return drawing_; }

  // The text cut to at most `lines` lines of `width` pixels in `font`, the last one ending
  // in an ellipsis when the text goes on.
  static QString truncated(const QString& text, const QFont& font, int width, int lines);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::string day_;
  std::string stem_;
  Open onOpen_;
  PictureDrawingView* drawing_;
  QLabel* caption_;
};

}  // namespace kestrel
