#include "platform/timer_queue.hpp"

#include <chrono>

namespace kestrel {

Timer TimerQueue::add(double deadline, std::function<void()> task) {
  std::uint64_t id = 0;
  {
    const std::lock_guard lock(mutex_);
    id = nextId_++;
    pending_.emplace(id, Entry{deadline, std::move(task)});
  }
  changed_.notify_all();
  return Timer([this, id] { cancel(id); });
}

std::optional<double> TimerQueue::nextDeadline() const {
  const std::lock_guard lock(mutex_);
  std::optional<double> next;
  for (const auto& [id, entry] : pending_) {
    if (!next || entry.deadline < *next) next = entry.deadline;
  }
  return next;
}

bool TimerQueue::runOne(double limit, const std::function<void(double)>& starting) {
  std::function<void()> task;
  double deadline = 0;
  std::uint64_t id = 0;
  {
    const std::lock_guard lock(mutex_);
    auto earliest = pending_.end();
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      if (earliest == pending_.end() || it->second.deadline < earliest->second.deadline) earliest = it;
    }
    if (earliest == pending_.end() || earliest->second.deadline > limit) return false;
    id = earliest->first;
    deadline = earliest->second.deadline;
    task = std::move(earliest->second.task);
    pending_.erase(earliest);
    running_ = id;
    runner_ = std::this_thread::get_id();
  }
  const auto finished = [this] {
    {
      const std::lock_guard lock(mutex_);
      running_.reset();
    }
    changed_.notify_all();
  };
  try {
    if (starting) starting(deadline);
    task();
  } catch (...) {
    finished();
    throw;
  }
  finished();
  return true;
}

bool TimerQueue::waitForDue(const std::function<double()>& now) {
  std::unique_lock lock(mutex_);
  while (!shutDown_) {
    std::optional<double> next;
    for (const auto& [id, entry] : pending_) {
      if (!next || entry.deadline < *next) next = entry.deadline;
    }
    if (!next) {
      changed_.wait(lock);
      continue;
    }
    const double wait = *next - now();
    if (wait <= 0) return true;
    changed_.wait_for(lock, std::chrono::duration<double>(wait));
  }
  return false;
}

void TimerQueue::shutDown() {
  {
    const std::lock_guard lock(mutex_);
    shutDown_ = true;
  }
  changed_.notify_all();
}

void TimerQueue::cancel(std::uint64_t id) {
  std::unique_lock lock(mutex_);
  pending_.erase(id);
  if (running_ == id && runner_ == std::this_thread::get_id()) return;  // cancelled by the task itself
  changed_.wait(lock, [&] { return running_ != id; });
}

}  // namespace kestrel
