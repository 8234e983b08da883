#pragma once

// What the shell's tests share: the one QApplication, the menu's facts, the environment of a
// test, waiting on the event loop, and the folder of images left for a look by eye.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/menu_model.hpp"
#include "core/tests/support/monitor_harness.hpp"

// Failures print Qt's strings as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (const QString& text : texts) *out << " \"" << text.toStdString() << '"';
  *out << " }";
}

namespace kestrel::testing {

// The one QApplication of the test process, without a display. It is made before the first
// test and goes after the last, while Qt's own statics still live: one destroyed among the
// static objects at exit crashed in Qt's clean-up.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[18] = "kestrel_app_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

inline ::testing::Environment* const qtApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

inline QApplication& qtApplication() { return *qobject_cast<QApplication*>(QCoreApplication::instance()); }

inline constexpr Instant now = 1'000'000;

// The facts of a watching monitor with camera access, as the menu reads them.
inline MenuFacts factsOf(const Monitor& monitor) {
  MenuFacts facts;
  facts.monitor = &monitor;
  facts.now = now;
  facts.permission = CameraPermission::authorized;
  facts.versionLine = "Version abc1234";
  return facts;
}

// Runs the event loop until `done` or the time is up; whether it got done.
inline bool eventually(const std::function<bool()>& done, int milliseconds = 5000) {
  const QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// Where the tests leave images for a look by eye: build/app/tests/artifacts/NAME.
inline QString artifactPath(const QString& name) {
  QDir().mkpath(QStringLiteral(KESTREL_TEST_ARTIFACTS));
  return QStringLiteral(KESTREL_TEST_ARTIFACTS) + QLatin1Char('/') + name;
}

// Sets environment variables for one test and puts the old values back after it.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

  void set(const char* name, const QString& value) {
    remember(name);
    setenv(name, value.toLocal8Bit().constData(), 1);
  }
  void unset(const char* name) {
    remember(name);
    unsetenv(name);
  }

 private:
  void remember(const char* name) {
    if (saved_.contains(name)) return;
    const char* old = std::getenv(name);
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }

  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace kestrel::testing
