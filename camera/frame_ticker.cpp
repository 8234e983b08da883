#include "camera/frame_ticker.hpp"

#include <utility>

namespace kestrel {

FrameTicker::FrameTicker(Clock& clock, std::function<void(Instant)> tick) : clock_(clock), tick_(std::move(tick)) {}

FrameTicker::~FrameTicker() { stop(); }

void FrameTicker::start(double rate) {
  Timer old;
  {
    std::unique_lock lock(mutex_);
    old = std::move(timer_);
    running_ = rate > 0;
    rate_ = rate;
    anchor_ = clock_.now();
    step_ = 1;
    ++generation_;
    if (running_) plan(lock);
  }
}

void FrameTicker::setRate(double rate) {
  Timer old;
  {
    std::unique_lock lock(mutex_);
    if (!running_ || rate <= 0) {
      if (rate > 0) rate_ = rate;
      return;
    }
    old = std::move(timer_);
    // Anchor at the last frame (or the start when none came yet).
    anchor_ += static_cast<double>(step_ - 1) / rate_;
    rate_ = rate;
    step_ = 1;
    const Instant now = clock_.now();
    while (anchor_ + static_cast<double>(step_) / rate_ < now) ++step_;
    ++generation_;
    plan(lock);
  }
}

void FrameTicker::stop() {
  Timer old;
  {
    const std::lock_guard lock(mutex_);
    old = std::move(timer_);
    running_ = false;
    ++generation_;
  }
}

bool FrameTicker::running() const {
  const std::lock_guard lock(mutex_);
  return running_;
}

double FrameTicker::rate() const {
  const std::lock_guard lock(mutex_);
  return rate_;
}

void FrameTicker::plan(std::unique_lock<std::mutex>&) {
  const Instant at = anchor_ + static_cast<double>(step_) / rate_;
  // Replacing the timer of the running tick from inside that tick does not wait for it.
  timer_ = clock_.after(at - clock_.now(), [this, generation = generation_] { fire(generation); });
}

void FrameTicker::fire(std::uint64_t generation) {
  Instant at = 0;
  {
    std::unique_lock lock(mutex_);
    if (generation != generation_ || !running_) return;
    at = anchor_ + static_cast<double>(step_) / rate_;
    ++step_;
    plan(lock);
  }
  tick_(at);
}

}  // namespace kestrel
