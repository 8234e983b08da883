#include "platform/system_clock.hpp"

#include <algorithm>
#include <chrono>

namespace kestrel {

SystemClock::SystemClock() : thread_([this] { run(); }) {}

SystemClock::~SystemClock() {
  timers_.shutDown();
  thread_.join();
}

Instant SystemClock::now() const {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

Seconds SystemClock::monotonic() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Timer SystemClock::after(Seconds delay, std::function<void()> task) {
  return timers_.add(monotonic() + std::max(delay, 0.0), std::move(task));
}

void SystemClock::run() {
  const auto clock = [this] { return monotonic(); };
  while (timers_.waitForDue(clock)) {
    while (timers_.runOne(monotonic())) {
    }
  }
}

}  // namespace kestrel
