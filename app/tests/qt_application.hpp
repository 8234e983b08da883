#pragma once

#include <QApplication>
#include <cstdlib>

namespace kestrel::testing {

// The one QApplication of the test process, made on first use without a display.
inline QApplication& qtApplication() {
  static int argc = 1;
  static char name[] = "kestrel_app_tests";
  static char* argv[] = {name, nullptr};
  static const bool offscreen = setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0;
  static QApplication application(argc, argv);
  (void)offscreen;
  return application;
}

}  // namespace kestrel::testing
