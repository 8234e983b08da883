#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QVariantAnimation>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/monitor/glow_placement.hpp"
#include "core/monitor/monitor_io.hpp"
#include "platform/system_log.hpp"
#include "ui/glow_view.hpp"
#include "ui/pill_view.hpp"

class QScreen;

namespace kestrel {

class AppController;

// The glow at the top of every screen while an alert is visible, its pulse when one is
// raised, and the pill that hovering under it opens. A window that lets clicks through gets
// no enter or leave events, so while the glow is up the pointer is looked at a few times a
// second against each glow's hover strip.
class GlowController : public QObject {
  Q_OBJECT

 public:
  static constexpr int pointerPollMilliseconds = 200;
  static constexpr int closerMilliseconds = 800;
  // Whether a compositing manager runs is asked at every this many looks at the pointer.
  static constexpr int compositingEveryPolls = 5;
  // The pill hangs this far below its glow.
  static constexpr int pillGap = 6;

  // What the controller asks of the window system; the defaults ask Qt and the X server.
  struct Probe {
    std::function<QPoint()> pointer;
    // Whether a compositing manager blends windows on the screen.
    std::function<bool(const QScreen*)> compositing;
    // Whether windows can be kept on top and placed at a screen's edge at all (not so on
    // Qt's native Wayland windows).
    std::function<bool()> placeable;
  };
  static Probe defaultProbe();

  GlowController(AppController& app, SystemLog& log, Probe probe = defaultProbe(), QObject* parent = nullptr);

  // After every input the monitor took (with no events) and every check (with its output's
  // events); `forced` shows the glow without an alert.
  void update(bool forced, const std::vector<MonitorEvent>& events);

  bool shown() const { return shown_; }
  const std::vector<std::unique_ptr<GlowView>>& glows() const { return glows_; }
  // The hover strips in Qt's coordinates, one per glow.
  const std::vector<QRect>& hoverStrips() const { return hovers_; }
  PillView* pill() const { return pill_.get(); }
  bool pulsing() const { return pulse_ != nullptr; }
  bool closing() const { return closer_.isActive(); }

  // Looks at the pointer now: entering a hover strip opens the pill. At every fifth look, also
  // rebuilds the glow when a compositing manager has started or stopped.
  void pollPointer();
  // Closes the pill unless the pointer is on it or on a hover strip (the closer timer's work).
  void closeIfLeft();
  // The screens as the pure geometry sees them (y up from a common bottom edge), and back.
  static std::vector<ScreenInfo> screenInfos(const QList<QScreen*>& screens, int flipHeight);
  static QRect toScreen(const Rect& frame, int flipHeight);
  static int flipHeight(const QList<QScreen*>& screens);

 private:
  void rebuild();
  void tearDown(bool hiding);
  void pulse();
  void hovered(std::size_t index);
  // Builds the pill's rows from the visible alerts, when there is a pill.
  void refreshPill(const std::vector<ActiveAlert>& visible);
  void closePill();
  void watchScreens();

  AppController& app_;
  SystemLog& log_;
  Probe probe_;
  std::vector<std::unique_ptr<GlowView>> glows_;
  std::vector<QRect> hovers_;
  std::unique_ptr<PillView> pill_;
  std::vector<std::string> pillRows_;  // what the pill shows, row by row
  std::size_t pillGlow_ = 0;           // the glow it hangs under
  QTimer closer_;
  QTimer poll_;
  std::unique_ptr<QVariantAnimation> pulse_;
  bool shown_ = false;
  std::int64_t polls_ = 0;
  bool skipLogged_ = false;
  // The strip the pointer was in at the last look, so that only entering opens the pill.
  std::optional<std::size_t> inside_;
  std::vector<QMetaObject::Connection> screenWatch_;
};

}  // namespace kestrel
