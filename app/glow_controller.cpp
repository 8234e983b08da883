#include "app/glow_controller.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <set>
#include <string>

#include "app/app_controller.hpp"
#include "app/x11_compositing.hpp"
#include "core/monitor/glow_pulse.hpp"

namespace kestrel {

GlowController::Probe GlowController::defaultProbe() {
  auto compositing = std::make_shared<X11Compositing>();
  return {[] { return QCursor::pos(); },
          [compositing](const QScreen* screen) { return compositing->active(screen); },
          [] { return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }};
}

GlowController::GlowController(AppController& app, SystemLog& log, Probe probe, QObject* parent)
    : QObject(parent), app_(app), log_(log), probe_(std::move(probe)) {
  poll_.setInterval(pointerPollMilliseconds);
  connect(&poll_, &QTimer::timeout, this, &GlowController::pollPointer);
  closer_.setInterval(closerMilliseconds);
  connect(&closer_, &QTimer::timeout, this, &GlowController::closeIfLeft);
  watchScreens();
}

void GlowController::watchScreens() {
  for (const auto& c : screenWatch_) disconnect(c);
  screenWatch_.clear();
  auto* application = qGuiApp;
  if (!application) return;
  const auto changed = [this] {
    watchScreens();
    rebuild();
  };
  screenWatch_.push_back(connect(application, &QGuiApplication::screenAdded, this, changed));
  screenWatch_.push_back(connect(application, &QGuiApplication::screenRemoved, this, changed));
  for (QScreen* screen : QGuiApplication::screens()) {
    screenWatch_.push_back(connect(screen, &QScreen::geometryChanged, this, [this] { rebuild(); }));
  }
}

void GlowController::update(bool forced, const std::vector<MonitorEvent>& events) {
  const std::vector<ActiveAlert> visible = app_.monitor().visibleAlerts(app_.now());
  const bool show = forced || !visible.empty();
  std::set<std::string> ids;
  for (const ActiveAlert& alert : visible) ids.insert(alert.id);
  const bool pulsing = GlowPulse::shouldPulse(raisedAlertIds(events), ids);
  if (show == shown_) {
    if (!show) return;
    refreshPill(visible);
    if (pulsing) pulse();
    return;
  }
  shown_ = show;
  if (!show) {
    tearDown(true);
    return;
  }
  rebuild();
  if (pulsing) pulse();
}

int GlowController::flipHeight(const QList<QScreen*>& screens) {
  int bottom = 0;
  for (const QScreen* screen : screens) bottom = std::max(bottom, screen->geometry().y() + screen->geometry().height());
  return bottom;
}

std::vector<ScreenInfo> GlowController::screenInfos(const QList<QScreen*>& screens, int flipHeight) {
  std::vector<ScreenInfo> infos;
  for (const QScreen* screen : screens) {
    const QRect g = screen->geometry();
    // Screens here have no camera notch: no inset, no areas beside one.
    infos.push_back({Rect{static_cast<double>(g.x()), static_cast<double>(flipHeight - g.y() - g.height()),
                          static_cast<double>(g.width()), static_cast<double>(g.height())},
                     0, std::nullopt, std::nullopt});
  }
  return infos;
}

QRect GlowController::toScreen(const Rect& frame, int flipHeight) {
  const QRectF r(frame.minX, flipHeight - frame.minY - frame.height, frame.width, frame.height);
  return r.toRect();
}

void GlowController::rebuild() {
  if (!shown_) return;
  tearDown(false);
  if (!probe_.placeable()) {
    if (!skipLogged_) log_.notice("glow skipped reason=wayland: run under XWayland to see it");
    skipLogged_ = true;
    return;
  }
  const QList<QScreen*> screens = QGuiApplication::screens();
  const int flip = flipHeight(screens);
  const std::vector<GlowShape> shapes = GlowPlacement::shapes(screenInfos(screens, flip));
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const GlowShape& shape = shapes[i];
    QScreen* screen = screens[static_cast<qsizetype>(i)];
    log_.notice("glow shown " + shape.logDescription(static_cast<std::int64_t>(i)));
    auto view = std::make_unique<GlowView>(shape, toScreen(shape.frame, flip), probe_.compositing(screen), screen);
    view->show();
    glows_.push_back(std::move(view));
    hovers_.push_back(toScreen(shape.hoverFrame(), flip));
  }
  inside_.reset();
  poll_.start();
}

void GlowController::tearDown(bool hiding) {
  if (hiding && !glows_.empty()) log_.notice("glow hidden screens=" + std::to_string(glows_.size()));
  pulse_.reset();
  glows_.clear();
  hovers_.clear();
  poll_.stop();
  inside_.reset();
  closePill();
}

void GlowController::pulse() {
  if (glows_.empty()) return;
  pulse_ = std::make_unique<QVariantAnimation>();
  pulse_->setStartValue(1.0);
  pulse_->setKeyValueAt(0.5, GlowPulse::dimmedOpacity);
  pulse_->setEndValue(1.0);
  pulse_->setDuration(static_cast<int>(2 * GlowPulse::halfCycle * 1000));
  pulse_->setLoopCount(static_cast<int>(GlowPulse::count));
  connect(pulse_.get(), &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    for (const auto& glow : glows_) glow->setLevel(value.toDouble());
  });
  connect(pulse_.get(), &QVariantAnimation::finished, this, [this] {
    for (const auto& glow : glows_) glow->setLevel(1.0);
    pulse_.release()->deleteLater();
  });
  log_.notice("glow pulse count=" + std::to_string(GlowPulse::count));
  pulse_->start();
}

void GlowController::pollPointer() {
  // A compositing manager that starts or stops under a translucent glow would leave it black
  // where it should be clear: about once a second the glow is built again for what the screen
  // does now.
  const bool lookAtCompositing = ++polls_ % compositingEveryPolls == 0;
  for (std::size_t i = 0; lookAtCompositing && i < glows_.size(); ++i) {
    if (probe_.compositing(glows_[i]->screen()) != glows_[i]->translucent()) {
      rebuild();
      return;
    }
  }
  const QPoint at = probe_.pointer();
  std::optional<std::size_t> now;
  for (std::size_t i = 0; i < hovers_.size() && !now; ++i) {
    if (hovers_[i].contains(at)) now = i;
  }
  const bool entered = now && now != inside_;
  inside_ = now;
  if (entered) hovered(*now);
}

void GlowController::hovered(std::size_t index) {
  closePill();
  QScreen* screen = glows_[index]->screen();
  pill_ = std::make_unique<PillView>(probe_.compositing(screen), screen);
  pillGlow_ = index;
  refreshPill(app_.monitor().visibleAlerts(app_.now()));
  if (!pill_) return;
  pill_->show();
  closer_.start();
}

void GlowController::refreshPill(const std::vector<ActiveAlert>& visible) {
  if (!pill_) return;
  const Monitor& monitor = app_.monitor();
  const Instant now = app_.now();
  std::vector<PillRow> rows;
  std::vector<std::string> shown;
  for (const ActiveAlert& alert : visible) {
    const AlertModule module = alert.module;
    const bool recalibrate = monitor.offersRecalibrate(module, now);
    rows.push_back({alert.hint, recalibrate, [this, module] { app_.handle(input::Wrong{module, app_.now()}); },
                    [this] { app_.openCalibration(); }});
    shown.push_back(alert.id + '\n' + alert.hint + (recalibrate ? "\n+" : ""));
  }
  if (rows.empty()) {
    closePill();
    return;
  }
  // Updates come every second with the ticker: rows are built anew only when they change, so
  // that a button is not replaced between the press and the release of a click.
  if (shown == pillRows_) return;
  pillRows_ = shown;
  pill_->setRows(rows);
  // Centred under its glow, whatever its new size.
  const QRect glow = glows_[pillGlow_]->frame();
  pill_->move(glow.x() + glow.width() / 2 - pill_->width() / 2, glow.y() + glow.height() + pillGap);
}

void GlowController::closeIfLeft() {
  if (!pill_) {
    closer_.stop();
    return;
  }
  const QPoint at = probe_.pointer();
  if (pill_->frameGeometry().contains(at)) return;
  for (const QRect& strip : hovers_) {
    if (strip.contains(at)) return;
  }
  closePill();
}

void GlowController::closePill() {
  closer_.stop();
  pill_.reset();
  pillRows_.clear();
}

}  // namespace kestrel
