#include "ui/picture_viewer.hpp"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "core/pictures/picture_history.hpp"
#include "ui/picture_drawing_view.hpp"

namespace kestrel {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QPixmap photoPixmap(const std::filesystem::path& file, QSize size) {
  QFile in(QString::fromStdString(file.string()));
  if (!in.open(QIODevice::ReadOnly)) return {};
  const QImage image = QImage::fromData(in.readAll());
  if (image.isNull()) return {};
  return QPixmap::fromImage(image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

PictureViewer::PictureViewer(const PictureStore& store, std::string day, const std::string& stem, const Log& log,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), day_(std::move(day)), heading_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Alert picture"));
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(10);
  layout->setContentsMargins(14, 14, 14, 14);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  QFont font = heading_->font();
  font.setPixelSize(13);
  heading_->setFont(font);
  heading_->setWordWrap(true);
  heading_->setFixedWidth(pictureWidth);
  layout->addWidget(heading_);

  const std::optional<PictureEntry> entry = PictureHistory::lookup(store, day_, stem);
  if (!entry) {
    heading_->setText(text(PictureHistory::deletedText));
    log("picture viewer deleted day=" + day_);
    return;
  }
  heading_->setText(QString::fromStdString(entry->timeText + "  " + entry->record.hint));
  drawing_ = new PictureDrawingView(
      PictureDrawing::make(entry->record.measurements, entry->record.module, Thresholds{}), this);
  drawing_->setFixedSize(pictureWidth, pictureHeight);
  drawing_->setAccessibleName(QStringLiteral("Line drawing of the alert"));
  layout->addWidget(drawing_);

  photo_ = new QLabel(this);
  const QPixmap pixmap = entry->photoURL ? photoPixmap(*entry->photoURL, {pictureWidth, pictureHeight}) : QPixmap();
  if (!pixmap.isNull()) {
    photo_->setPixmap(pixmap);
    photo_->setFixedSize(pictureWidth, pictureHeight);
    photo_->setAlignment(Qt::AlignCenter);
    photo_->setAccessibleName(QStringLiteral("Photo from the alert"));
  } else {
    photo_->setText(QStringLiteral("No photo kept for this alert."));
  }
  layout->addWidget(photo_);

  const Measurements& m = entry->record.measurements;
  log("picture viewer alertId=" + entry->record.alertId + " photo=" + (entry->hasPhoto() ? "true" : "false") +
      " w=" + std::to_string(static_cast<std::int64_t>(m.frameWidth)) +
      " h=" + std::to_string(static_cast<std::int64_t>(m.frameHeight)));
}

}  // namespace kestrel
