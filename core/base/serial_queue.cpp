#include "core/base/serial_queue.hpp"

#include <exception>
#include <future>
#include <stdexcept>

namespace kestrel {

SerialQueue::SerialQueue(std::function<void(const std::string&)> failed)
    : failed_(std::move(failed)), worker_([this] { run(); }) {}

SerialQueue::~SerialQueue() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void SerialQueue::async(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void SerialQueue::sync() {
  if (isCurrent()) throw std::logic_error("a serial queue cannot wait for itself");
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  async([&done] { done.set_value(); });
  finished.wait();
}

bool SerialQueue::isCurrent() const { return std::this_thread::get_id() == worker_.get_id(); }

void SerialQueue::run() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (tasks_.empty()) return;  // stopping, and nothing is left to run
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    try {
      task();
    } catch (const std::exception& e) {
      if (failed_) failed_(e.what());
    } catch (...) {
      if (failed_) failed_("unknown failure");
    }
  }
}

}  // namespace kestrel
