#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/clock.hpp"

namespace kestrel {

// The instants at which a simulated camera delivers frames: every 1/rate seconds from an
// anchor, the first one a frame time after the start. A new rate keeps the rhythm anchored
// at the last frame, and never goes back before the present. Frame instants are computed
// from the anchor, not added up, so they do not drift.
class FrameTicker {
 public:
  // `tick` runs on the clock's thread with the frame's instant.
  FrameTicker(Clock& clock, std::function<void(Instant)> tick);
  ~FrameTicker();
  FrameTicker(const FrameTicker&) = delete;
  FrameTicker& operator=(const FrameTicker&) = delete;

  void start(double rate);
  void setRate(double rate);
  void stop();
  bool running() const;
  double rate() const;

 private:
  void plan(std::unique_lock<std::mutex>& lock);
  void fire(std::uint64_t generation);

  Clock& clock_;
  std::function<void(Instant)> tick_;
  mutable std::mutex mutex_;
  bool running_ = false;
  double rate_ = 0;
  Instant anchor_ = 0;
  std::int64_t step_ = 0;  // frames after the anchor of the next frame
  std::uint64_t generation_ = 0;
  Timer timer_;  // only replaced outside the lock
};

}  // namespace kestrel
