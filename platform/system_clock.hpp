#pragma once

#include <thread>

#include "platform/clock.hpp"
#include "platform/timer_queue.hpp"

namespace kestrel {

// The real time, with one thread of its own that runs the timers when they fall due.
// Timers keep their delay even when the wall clock is set: they run on the monotonic clock.
class SystemClock final : public Clock {
 public:
  SystemClock();
  ~SystemClock() override;
  SystemClock(const SystemClock&) = delete;
  SystemClock& operator=(const SystemClock&) = delete;

  Instant now() const override;
  Seconds monotonic() const override;
  Timer after(Seconds delay, std::function<void()> task) override;

 private:
  void run();

  TimerQueue timers_;
  std::thread thread_;  // last: starts once everything above exists
};

}  // namespace kestrel
