#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/executor.hpp"

namespace kestrel {

// A main thread for tests: posted tasks wait until the test runs them on its own thread.
class ManualExecutor final : public Executor {
 public:
  void post(std::function<void()> task) override;
  // Runs the waiting tasks, and those they post, until none is left; how many ran.
  std::int64_t runPending();

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace kestrel
