#include "ui/tile_view.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTextLayout>
#include <QVBoxLayout>

#include "ui/picture_drawing_view.hpp"

namespace kestrel {

TileView::TileView(const PictureEntry& entry, Open onOpen, QWidget* parent)
    : QAbstractButton(parent),
      day_(entry.day),
      stem_(entry.stem),
      onOpen_(std::move(onOpen)),
      drawing_(new PictureDrawingView(PictureDrawing::make(entry.record.measurements, entry.record.module, Thresholds{}),
                                      this)),
      caption_(new QLabel(this)) {
  const QString text = QString::fromStdString(entry.timeText + "  " + entry.record.hint);
  setFixedWidth(width);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QString::fromStdString(entry.timeText + " " + entry.record.hint));
  setToolTip(text);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  drawing_->setFixedSize(width, drawingHeight);
  drawing_->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(drawing_);

  QFont small = caption_->font();
  small.setPixelSize(11);
  caption_->setFont(small);
  caption_->setForegroundRole(QPalette::PlaceholderText);
  caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
  caption_->setText(truncated(text, small, width, captionLines));
  caption_->setFixedWidth(width);
  layout->addWidget(caption_);
  layout->addStretch();

  connect(this, &QAbstractButton::clicked, this, [this] { onOpen_(day_, stem_); });
}

QString TileView::truncated(const QString& text, const QFont& font, int width, int lines) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  QStringList out;
  for (int i = 0; i < lines; ++i) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    const QString part = text.mid(line.textStart(), line.textLength());
    if (i == lines - 1 && line.textStart() + line.textLength() < text.size()) {
      out << QFontMetrics(font).elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width);
    } else {
      out << part.trimmed();
    }
  }
  layout.endLayout();
  return out.join(QLatin1Char('\n'));
}

void TileView::paintEvent(QPaintEvent*) {
  // The children draw the tile; the button itself only shows where the keyboard is.
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect();
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void TileView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);  // Space clicks on release
}

}  // namespace kestrel
