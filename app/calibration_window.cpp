#include "app/calibration_window.hpp"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "core/calibration/calibration_window.hpp"

namespace kestrel {

namespace {

QString qt(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The window's layout, measured from its lower-left corner upwards as the design gives it,
// turned into Qt's top-left coordinates.
QRect fromBottom(int x, int y, int width, int height) {
  return {x, CalibrationPlacement::height - y - height, width, height};
}

}  // namespace

CalibrationWindow::CalibrationWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      picture_(new CameraView(this)),
      message_(new QLabel(this)),
      start_(new QPushButton(qt(CalibrationWindowText::start), this)),
      cancel_(new QPushButton(qt(CalibrationWindowText::cancel), this)) {
  setWindowTitle(qt(CalibrationWindowText::title));
  setFixedSize(CalibrationPlacement::width, CalibrationPlacement::height);
  setFocusPolicy(Qt::StrongFocus);
  picture_->setGeometry(fromBottom(20, 140, 480, 270));
  message_->setGeometry(fromBottom(20, 70, 480, 60));
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  start_->setGeometry(fromBottom(380, 20, 120, 32));
  cancel_->setGeometry(fromBottom(20, 20, 120, 32));
  for (QPushButton* button : {start_, cancel_}) button->setFocusPolicy(Qt::NoFocus);
  start_->setDefault(true);
  connect(start_, &QPushButton::clicked, this, [this] {
    if (actions_.start) actions_.start();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (actions_.cancel) actions_.cancel();
  });
  showWaiting();
}

void CalibrationWindow::showScreen(const CalibrationScreen& screen) {
  message_->setText(QString::fromStdString(screen.message));
  start_->setText(QString::fromStdString(screen.startTitle));
  start_->setEnabled(screen.startEnabled);
}

void CalibrationWindow::showPicture(const FrameSource::Preview& preview) {
  const Frame& frame = preview.picture;
  if (frame.format != PixelFormat::bgr || frame.planes.empty() || frame.width <= 0 || frame.height <= 0) return;
  const Plane& plane = frame.planes.front();
  if (plane.bytes.size() < static_cast<std::size_t>(plane.stride) * static_cast<std::size_t>(frame.height)) return;
  const QImage image =
      QImage(plane.bytes.data(), frame.width, frame.height, plane.stride, QImage::Format_BGR888).copy();
  QList<QRectF> faces;
  for (const Rect& face : preview.faces) faces.append(QRectF(face.minX, face.minY, face.width, face.height));
  picture_->showPicture(image, faces);
}

void CalibrationWindow::showWaiting() { picture_->showStatus(qt(CalibrationWindowText::waitingForCamera)); }

void CalibrationWindow::showCameraMissing(const QString& reason) {
  picture_->showStatus(qt(CalibrationWindowText::noCamera), reason);
}

void CalibrationWindow::place() {
  std::vector<CalibrationPlacement::Screen> screens;
  std::optional<std::size_t> primary;
  const QList<QScreen*> all = QGuiApplication::screens();
  for (QScreen* screen : all) {
    if (screen == QGuiApplication::primaryScreen()) primary = screens.size();
    const QRect g = screen->geometry();
    screens.push_back({screen->name().toStdString(), g.x(), g.y(), g.width(), g.height()});
  }
  const auto origin = CalibrationPlacement::origin(screens, primary);
  move(origin.x, origin.y);
}

void CalibrationWindow::bringForward() {
  show();
  raise();
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);
}

void CalibrationWindow::keyPressEvent(QKeyEvent* event) {
  if (!actions_.key) {
    QWidget::keyPressEvent(event);
    return;
  }
  std::optional<std::string> characters;
  if (!event->text().isEmpty()) characters = event->text().toStdString();
  actions_.key(characters, event->key());
}

void CalibrationWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (actions_.cancel) actions_.cancel();
}

}  // namespace kestrel
