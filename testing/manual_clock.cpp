#include "testing/manual_clock.hpp"

#include <algorithm>

namespace kestrel {

Timer ManualClock::after(Seconds delay, std::function<void()> task) {
  return timers_.add(now_.load() + std::max(delay, 0.0), std::move(task));
}

void ManualClock::advance(Seconds seconds) { advanceTo(now_.load() + seconds); }

void ManualClock::advanceTo(Instant instant) {
  const auto moveTo = [this](double deadline) { now_.store(std::max(now_.load(), deadline)); };
  while (timers_.runOne(instant, moveTo)) {
    if (settle_) settle_();
  }
  moveTo(instant);
  if (settle_) settle_();
}

}  // namespace kestrel
