#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "core/pictures/picture_store.hpp"

class QLabel;

namespace kestrel {

class PictureDrawingView;

// The panel "Alert picture" that a tile of the History tab opens: "time  hint", the line
// drawing and the photo, when one was kept; or that the picture was deleted meanwhile.
class PictureViewer : public QWidget {
  Q_OBJECT

 public:
  using Log = std::function<void(const std::string&)>;

  static constexpr int pictureWidth = 320;
  static constexpr int pictureHeight = 180;

  // Looks the picture up in the store and logs what it shows.
  PictureViewer(const PictureStore& store, std::string day, const std::string& stem, const Log& log,
                QWidget* parent = nullptr);

  // The day it shows: a pruning of that day closes it.
  const std::string& day() const { return day_; }
  bool found() const { return drawing_ != nullptr; }
  QLabel* heading() const { return heading_; }
  PictureDrawingView* drawingView() const { return drawing_; }
  // The photo, or the line saying none was kept.
  QLabel* photo() const { return photo_; }

 private:
  std::string day_;
  QLabel* heading_;
  PictureDrawingView* drawing_ = nullptr;
  QLabel* photo_ = nullptr;
};

}  // namespace kestrel
