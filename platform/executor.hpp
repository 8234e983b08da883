#pragma once

#include <functional>

namespace kestrel {

// A thread that runs the tasks posted to it one at a time, in the order posted: the
// application's main thread, or a serial work queue.
class Executor {
 public:
  virtual ~Executor() = default;
  // Returns at once; `task` runs later on the executor's thread.
  virtual void post(std::function<void()> task) = 0;
};

}  // namespace kestrel
