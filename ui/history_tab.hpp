#pragma once

#include <QScrollArea>
#include <functional>
#include <optional>
#include <vector>

#include "core/pictures/picture_store.hpp"
#include "ui/tile_view.hpp"

class QVBoxLayout;

namespace kestrel {

// The History tab: the days with pictures, newest first, each titled, its pictures in rows of
// at most three tiles. The days are listed off the main thread each time the tab comes on
// screen or the pictures change; when reloads overlap, only the last one's list is shown.
class HistoryTab : public QScrollArea {
  Q_OBJECT

 public:
  // Lists the days; runs on a worker thread.
  using ListDays = std::function<std::vector<PictureDay>()>;

  static constexpr int tilesPerRow = 3;

  // `deleteAll` asks whether to delete every picture.
  HistoryTab(ListDays listDays, TileView::Open onOpen, std::function<void()> deleteAll, QWidget* parent = nullptr);

  void reload();
  bool isShown() const { return isShown_; }
  int generation() const { return generation_; }
  // The days as last shown; none before the first list arrived.
  const std::optional<std::vector<PictureDay>>& shownDays() const { return shownDays_; }
  // The tiles in their rows, as shown.
  std::vector<std::vector<TileView*>> tileRows() const;

 signals:
  // A list of days was put on screen.
  void daysShown();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void showDays(std::vector<PictureDay> days);

  ListDays listDays_;
  TileView::Open onOpen_;
  std::function<void()> deleteAll_;
  QWidget* document_;
  QVBoxLayout* list_;
  bool isShown_ = false;
  int generation_ = 0;
  std::optional<std::vector<PictureDay>> shownDays_;
};

}  // namespace kestrel
