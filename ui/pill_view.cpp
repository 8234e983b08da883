#include "ui/pill_view.hpp"

#include <QHBoxLayout>
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
  connect(b, &QObject::destroyed, this, [this, b] { handlers_.erase(b); });
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
  QPalette p = palette();
  p.setColor(QPalette::WindowText, Qt::white);
  setPalette(p);
}

void PillView::setRows(const std::vector<PillRow>& rows) {
  actions_.clear();
  if (rows_) {
    layout_->removeWidget(rows_);
    delete rows_;
  }
  rows_ = new QWidget(this);
  auto* column = new QVBoxLayout(rows_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  for (const PillRow& row : rows) {
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    auto* hint = new QLabel(QString::fromStdString(row.hint), rows_);
    QFont font = hint->font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    hint->setFont(font);
    hint->setObjectName(QStringLiteral("hint"));
    line->addWidget(hint);
    line->addStretch(1);
    line->addWidget(actions_.button(QStringLiteral("Wrong"), row.onWrong, rows_));
    if (row.offersRecalibrate) {
      line->addWidget(actions_.button(QStringLiteral("Recalibrate"), row.onRecalibrate, rows_));
    }
    column->addLayout(line);
  }
  layout_->addWidget(rows_);
  layout_->activate();
  adjustSize();
}

std::vector<QString> PillView::hints() const {
  std::vector<QString> texts;
  if (!rows_) return texts;
  for (const QLabel* label : rows_->findChildren<QLabel*>(QStringLiteral("hint"))) texts.push_back(label->text());
  return texts;
}

std::vector<std::vector<QPushButton*>> PillView::buttons() const {
  std::vector<std::vector<QPushButton*>> rows;
  if (!rows_) return rows;
  const auto* column = static_cast<QVBoxLayout*>(rows_->layout());
  for (int i = 0; i < column->count(); ++i) {
    auto* line = column->itemAt(i)->layout();
    std::vector<QPushButton*> found;
    for (int j = 0; line && j < line->count(); ++j) {
      if (auto* b = qobject_cast<QPushButton*>(line->itemAt(j)->widget())) found.push_back(b);
    }
    rows.push_back(found);
  }
  return rows;
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
