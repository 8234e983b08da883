#pragma once

#include <functional>

#include "platform/timer.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// Where the camera code takes its time and its timers from: the system's clock in the
// application, a clock that the test moves forward in tests (ManualClock).
// A clock outlives every timer it hands out.
class Clock {
 public:
  virtual ~Clock() = default;

  virtual Instant now() const = 0;
  // Seconds on a clock that never jumps, for measuring how long work takes.
  virtual Seconds monotonic() const = 0;
  // Runs `task` once, on a thread of the clock's own, `delay` seconds from now (as soon as
  // possible for no delay or a negative one). Tasks must be short: they normally post work
  // to a queue.
  [[nodiscard]] virtual Timer after(Seconds delay, std::function<void()> task) = 0;
};

}  // namespace kestrel
