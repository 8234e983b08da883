#pragma once

#include <atomic>
#include <functional>

#include "platform/clock.hpp"
#include "platform/timer_queue.hpp"

namespace kestrel {

// Simulated time for tests: it stands still until the test moves it, and the timers that
// fall due on the way run on the test's own thread, each at its exact instant.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(Instant start) : now_(start) {}

  Instant now() const override { return now_.load(); }
  // The same time line: work takes no time unless the test says so.
  Seconds monotonic() const override { return now_.load(); }
  Timer after(Seconds delay, std::function<void()> task) override;

  // Called after each timer that `advance` runs, so that the work the timer handed to other
  // threads can be finished before time moves on (a test waits for its queues there).
  void setSettle(std::function<void()> settle) { settle_ = std::move(settle); }
  // Moves time forward by `seconds`, running every timer due on the way, in order of
  // deadline; timers planned by those timers run too when they fall within the step.
  void advance(Seconds seconds);
  // Moves time forward to `instant` (never back).
  void advanceTo(Instant instant);

 private:
  std::atomic<Instant> now_;
  TimerQueue timers_;
  std::function<void()> settle_;
};

}  // namespace kestrel
