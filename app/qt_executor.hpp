#pragma once

#include <QObject>
#include <functional>

#include "platform/executor.hpp"

namespace kestrel {

// The application's main thread as an executor: each task is queued to Qt's event loop and
// runs there, in the order posted. Made on the main thread; `post` may be called from any
// thread for as long as the executor lives. Tasks still queued when it goes are dropped.
class QtExecutor final : public Executor {
 public:
  QtExecutor() = default;
  QtExecutor(const QtExecutor&) = delete;
  QtExecutor& operator=(const QtExecutor&) = delete;

  void post(std::function<void()> task) override;

 private:
  QObject context_;  // lives on the main thread; its queued calls run there
};

}  // namespace kestrel
