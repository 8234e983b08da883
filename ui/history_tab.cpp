#include "ui/history_tab.hpp"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QLabel>
#include <QPointer>
#include <QThreadPool>
#include <QVBoxLayout>

#include "core/pictures/picture_history.hpp"

namespace kestrel {

HistoryTab::HistoryTab(ListDays listDays, TileView::Open onOpen, std::function<void()> deleteAll, QWidget* parent)
    : QScrollArea(parent),
      listDays_(std::move(listDays)),
      onOpen_(std::move(onOpen)),
      deleteAll_(std::move(deleteAll)),
      document_(new QWidget),
      list_(new QVBoxLayout(document_)) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidgetResizable(true);
  viewport()->setAutoFillBackground(false);
  document_->setAutoFillBackground(false);
  list_->setSpacing(12);
  list_->setContentsMargins(20, 16, 20, 16);
  setWidget(document_);
}

void HistoryTab::showEvent(QShowEvent* event) {
  QScrollArea::showEvent(event);
  isShown_ = true;
  reload();
}

void HistoryTab::hideEvent(QHideEvent* event) {
  QScrollArea::hideEvent(event);
  isShown_ = false;
}

void HistoryTab::reload() {
  const int generation = ++generation_;
  QPointer<HistoryTab> self(this);
  QThreadPool::globalInstance()->start([self, generation, list = listDays_] {
    std::vector<PictureDay> days = list();
    // Back on the main thread, unless the tab has gone meanwhile.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self, generation, days = std::move(days)]() mutable {
          HistoryTab* tab = self.data();
          if (tab != nullptr && tab->generation_ == generation) tab->showDays(std::move(days));
        },
        Qt::QueuedConnection);
  });
}

void HistoryTab::showDays(std::vector<PictureDay> days) {
  while (QLayoutItem* item = list_->takeAt(0)) {
    if (item->layout()) {
      while (QLayoutItem* inner = item->layout()->takeAt(0)) {
        delete inner->widget();
        delete inner;
      }
    }
    delete item->widget();
    delete item;
  }
  auto label = [this](const QString& text, bool secondary) {
    auto* l = new QLabel(text, document_);
    QFont font = l->font();
    font.setPixelSize(13);
    l->setFont(font);
    if (secondary) l->setForegroundRole(QPalette::PlaceholderText);
    l->setWordWrap(true);
    return l;
  };
  if (days.empty()) {
    list_->addWidget(label(QString::fromUtf8(PictureHistory::emptyText.data()), true));
  }
  for (const PictureDay& day : days) {
    list_->addWidget(label(QString::fromStdString(day.title()), false));
    QHBoxLayout* row = nullptr;
    for (std::size_t i = 0; i < day.entries.size(); ++i) {
      if (i % tilesPerRow == 0) {
        row = new QHBoxLayout;
        row->setSpacing(10);
        list_->addLayout(row);
      }
      row->addWidget(new TileView(day.entries[i], onOpen_, document_));
      if (i % tilesPerRow == tilesPerRow - 1 || i + 1 == day.entries.size()) row->addStretch();
    }
  }
  if (!days.empty()) {
    auto* remove = new QPushButton(QStringLiteral("Delete all pictures…"), document_);
    connect(remove, &QPushButton::clicked, this, [this] { deleteAll_(); });
    list_->addWidget(remove, 0, Qt::AlignLeft);
  }
  list_->addStretch();
  shownDays_ = std::move(days);
  emit daysShown();
}

std::vector<std::vector<TileView*>> HistoryTab::tileRows() const {
  std::vector<std::vector<TileView*>> rows;
  for (int i = 0; i < list_->count(); ++i) {
    QLayout* row = list_->itemAt(i)->layout();
    if (!row) continue;
    rows.emplace_back();
    for (int j = 0; j < row->count(); ++j) {
      if (auto* tile = qobject_cast<TileView*>(row->itemAt(j)->widget())) rows.back().push_back(tile);
    }
  }
  return rows;
}

}  // namespace kestrel
