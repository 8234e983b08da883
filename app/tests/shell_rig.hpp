#pragma once

// The controller of controller_rig.hpp driving the real Qt desktop: the window, the picture
// viewer and the tray menu as the program shows them, on temporary folders.

#include <memory>

#include "app/qt_desktop.hpp"
#include "app/tests/controller_rig.hpp"
#include "app/tests/support.hpp"

namespace kestrel::testing {

struct ShellRig {
  QApplication& application = qtApplication();  // before any widget
  bool tray = false;
  // Where the glow finds the pointer.
  QPoint pointer{-100, -100};
  bool compositing = true;
  RecordingLog shellLog;
  std::unique_ptr<QtDesktop> desktop;
  std::unique_ptr<ControllerRig> rig;

  explicit ShellRig(Instant start = noon - 60) {
    desktop = std::make_unique<QtDesktop>([this](bool opening) { return rig->controller->menuFacts(opening); },
                                          [this](MenuItemId id) { rig->controller->choose(id); },
                                          [] {}, shellLog, [this] { return tray; });
    rig = std::make_unique<ControllerRig>(std::vector<std::string>{}, true, start, desktop.get());
    desktop->attach(*rig->controller, {[this] { return pointer; }, [this](const QScreen*) { return compositing; },
                                       [] { return true; }});
  }
  ~ShellRig() {
    desktop.reset();  // the window goes before the controller it shows
    rig.reset();
  }

  AppController& controller() { return *rig->controller; }
};

}  // namespace kestrel::testing
