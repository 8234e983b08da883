#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kestrel {

// One worker thread that runs the tasks handed to it one at a time, in the order given.
// Destroying the queue runs the tasks still waiting, then ends the thread.
class SerialQueue {
 public:
  // `failed` hears the description of any exception a task lets out; the queue goes on.
  explicit SerialQueue(std::function<void(const std::string&)> failed);
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // Returns at once; the task runs on the worker thread after everything queued before it.
  void async(std::function<void()> task);
  // Waits until every task queued before this call has run. Must not be called from a task
  // of this queue (it would wait for itself): that throws std::logic_error.
  void sync();
  bool isCurrent() const;

 private:
  void run();

  std::function<void(const std::string&)> failed_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace kestrel
