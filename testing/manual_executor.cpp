#include "testing/manual_executor.hpp"

namespace kestrel {

void ManualExecutor::post(std::function<void()> task) {
  const std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
}

std::int64_t ManualExecutor::runPending() {
  std::int64_t ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      const std::lock_guard lock(mutex_);
      if (tasks_.empty()) return ran;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    ++ran;
  }
}

}  // namespace kestrel
