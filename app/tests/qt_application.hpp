#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

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

}  // namespace kestrel::testing
