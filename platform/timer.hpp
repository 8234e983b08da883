#pragma once

#include <functional>
#include <utility>

namespace kestrel {

// A task planned by a clock. Destroying or cancelling the timer before the task runs means
// it never runs; if it is running on another thread at that moment, cancelling waits until
// it has finished, so whatever the task uses may be destroyed right after. Never cancel a
// timer while holding a lock its task takes.
class Timer {
 public:
  Timer() = default;
  explicit Timer(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Timer(Timer&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  Timer& operator=(Timer&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer() { cancel(); }

  void cancel() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
  }

 private:
  std::function<void()> cancel_;
};

}  // namespace kestrel
