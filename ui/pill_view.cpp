#include "ui/pill_view.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QCoreApplication>
#include <QVBoxLayout>

namespace kestrel {

QPushButton* ButtonActions::button(const QString& title, std::function<void()> action, QWidget* parent) {
  auto* b = new QPushButton(title, parent);
  b->setFocusPolicy(Qt::NoFocus);
  handlers_[b] = std::move(action);
  connect(b, &QAbstractButton::clicked, this, [this, b] { run(b); });
  return b;
}

void ButtonActions::run(const QAbstractButton* button) {
  const auto found = handlers_.find(button);
  if (found == handlers_.end() || !found->second) return;
  // Queued on the application rather than on the pill, which the action may well close.
  QMetaObject::invokeMethod(QCoreApplication::instance(), found->second, Qt::QueuedConnection);
}

PillView::PillView(bool translucent, QScreen* screen)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint),
      translucent_(translucent),
      layout_(new QVBoxLayout(this)) {
  setWindowTitle(QStringLiteral("Kestrel alerts"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_X11DoNotAcceptFocus);
  if (translucent_) setAttribute(Qt::WA_TranslucentBackground);
  if (screen) setScreen(screen);
  layout_->setContentsMargins(14, 10, 14, 10);
  layout_->setSizeConstraint(QLayout::SetFixedSize);
  // White text and light, flat buttons that sit on the dark panel rather than the desktop
  // theme's.
  setStyleSheet(QStringLiteral(
      "QLabel { color: white; }"
      "QPushButton { color: white; background: rgba(255, 255, 255, 36); border: 1px solid rgba(255, 255, 255, 64);"
      " border-radius: 6px; padding: 3px 12px; font-size: 12px; }"
      "QPushButton:hover { background: rgba(255, 255, 255, 64); }"
      "QPushButton:pressed { background: rgba(255, 255, 255, 96); }"));
}

void PillView::setRows(const std::vector<PillRow>& rows) {
  actions_.clear();
  buttons_.clear();
  hints_.clear();
  if (rows_) {
    layout_->removeWidget(rows_);
    delete rows_;
  }
  rows_ = new QWidget(this);
  // Hints in one column and buttons in the next two, so that rows line up.
  auto* grid = new QGridLayout(rows_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PillRow& row = rows[i];
    const int r = static_cast<int>(i);
    auto* hint = new QLabel(QString::fromStdString(row.hint), rows_);
    QFont font = hint->font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    hint->setFont(font);
    grid->addWidget(hint, r, 0);
    hints_.push_back(hint->text());
    std::vector<QPushButton*> buttons{actions_.button(QStringLiteral("Wrong"), row.onWrong, rows_)};
    if (row.offersRecalibrate) {
      buttons.push_back(actions_.button(QStringLiteral("Recalibrate"), row.onRecalibrate, rows_));
    }
    for (std::size_t b = 0; b < buttons.size(); ++b) grid->addWidget(buttons[b], r, 1 + static_cast<int>(b));
    buttons_.push_back(buttons);
  }
  grid->setColumnStretch(0, 1);
  layout_->addWidget(rows_);
  layout_->activate();
  adjustSize();
}

void PillView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!translucent_) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
  }
}

void PillView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  if (translucent_) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
  }
  painter.setBrush(QColor(30, 30, 30, translucent_ ? 225 : 255));
  painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

}  // namespace kestrel
