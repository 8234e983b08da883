#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/timer.hpp"

namespace kestrel {

// The pending tasks of a clock, by deadline on the clock's own time line. Whoever serves the
// queue runs the due tasks on its own thread, one at a time; equal deadlines run in the
// order they were added. The queue outlives the timers it hands out.
class TimerQueue {
 public:
  TimerQueue() = default;
  TimerQueue(const TimerQueue&) = delete;
  TimerQueue& operator=(const TimerQueue&) = delete;

  Timer add(double deadline, std::function<void()> task);
  std::optional<double> nextDeadline() const;
  // Runs the earliest task due at or before `limit` on the calling thread, after calling
  // `starting` with its deadline. False when no task is due.
  bool runOne(double limit, const std::function<void(double)>& starting = {});
  // Waits until a task is due by `now` or `shutDown` was called; false after `shutDown`.
  bool waitForDue(const std::function<double()>& now);
  void shutDown();

 private:
  void cancel(std::uint64_t id);

  struct Entry {
    double deadline = 0;
    std::function<void()> task;
  };

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Entry> pending_;  // by the order added
  std::uint64_t nextId_ = 1;
  std::optional<std::uint64_t> running_;
  std::thread::id runner_;
  bool shutDown_ = false;
};

}  // namespace kestrel
