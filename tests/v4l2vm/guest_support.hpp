#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <type_traits>
#include <string>
#include <vector>

#include "camera/capture_device.hpp"
#include "camera/frame_source.hpp"
#include "platform/executor.hpp"
#include "testing/recording_log.hpp"
#include "platform/system_clock.hpp"
#include "camera/v4l2_camera.hpp"
#include "core/base/instant.hpp"
#include "core/base/serial_queue.hpp"

// What the camera program inside the virtual machine needs around the code it exercises:
// a tally of expectations printed line by line on the console, a queue to hand frames to,
// collectors that wait for notices and frames, the camera and the frame source as the
// application holds them, and a second, independent handle on a video node that looks at what
// the driver itself does.
namespace kestrel::vm {

// Prints "ok NAME" or "FAIL NAME: DETAIL" for every expectation, so the console shows where
// a run went wrong; `failures` decides the verdict.
class Tally {
 public:
  explicit Tally(std::string scenario) : scenario_(std::move(scenario)) {}

  bool expect(bool ok, const std::string& what, const std::string& detail = {});
  template <class A, class B>
  bool equal(const A& actual, const B& expected, const std::string& what) {
    return expect(actual == expected, what, "got " + show(actual) + ", expected " + show(expected));
  }
  // `actual` lies within [low, high].
  bool within(double actual, double low, double high, const std::string& what);

  std::int64_t failures() const { return failures_; }

  template <class T>
  static std::string show(const T& value) {
    std::ostringstream out;
    print(out, value);
    return out.str();
  }

 private:
  template <class T>
  static void print(std::ostream& out, const T& value) {
    if constexpr (requires { out << value; }) {
      out << value;
    } else if constexpr (requires { value.has_value(); *value; }) {
      if (value) {
        print(out, *value);
      } else {
        out << "none";
      }
    } else if constexpr (requires { value.begin(); value.end(); }) {
      out << "[";
      bool first = true;
      for (const auto& item : value) {
        out << (first ? "" : ", ");
        print(out, item);
        first = false;
      }
      out << "]";
    } else if constexpr (requires { value.first; value.second; }) {
      out << value.first << " " << value.second;
    } else if constexpr (requires { value.minRate; value.maxRate; }) {
      out << value.minRate << "-" << value.maxRate;
    } else if constexpr (requires { value.pixelFormat; value.frameRates; }) {
      out << value.pixelFormat << " " << value.width << "x" << value.height << " ";
      print(out, value.frameRates);
    } else if constexpr (requires { value.kind; value.message; }) {
      out << "error " << static_cast<int>(value.kind) << " " << value.message;
    } else if constexpr (requires { value.kind; value.cameraId; }) {
      out << "notice " << static_cast<int>(value.kind) << " " << value.cameraId;
    } else {
      out << "(value)";
    }
  }
  std::string scenario_;
  std::int64_t failures_ = 0;
};

// An executor on a worker thread of its own.
class QueueExecutor final : public Executor {
 public:
  QueueExecutor();
  void post(std::function<void()> task) override { queue_.async(std::move(task)); }
  void sync() { queue_.sync(); }
  // Runs `task` on the queue and waits for its result (or its exception): a camera is called only
  // from the queue its frames are handed to, so that no frame is read while its buffer goes away.
  template <class Task>
  auto call(Task task) {
    std::packaged_task<std::invoke_result_t<Task>()> job(std::move(task));
    auto result = job.get_future();
    queue_.async([&job] { job(); });
    queue_.sync();
    return result.get();
  }

 private:
  SerialQueue queue_;
};

// Collects what arrives on other threads and lets the scenario wait for it.
template <class T>
class Inbox {
 public:
  void add(T item) {
    {
      const std::lock_guard lock(mutex_);
      items_.push_back(std::move(item));
    }
    changed_.notify_all();
  }
  // Waits up to `seconds` until at least `count` items have arrived; true when they have.
  bool waitFor(std::size_t count, double seconds) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return items_.size() >= count; });
  }
  std::vector<T> items() const {
    const std::lock_guard lock(mutex_);
    return items_;
  }
  void clear() {
    const std::lock_guard lock(mutex_);
    items_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<T> items_;
};

// A frame as the scenario keeps it: when it arrived and what its pixels became.
struct SeenFrame {
  Instant arrival = 0;
  std::optional<Frame> pixels;
};

// The median of the gaps between consecutive frames' arrivals; 0 for fewer than two.
double medianGap(const std::vector<SeenFrame>& frames);

// The eight bars of the 75% colour bar pattern as BGR: white, yellow, cyan, green, magenta, red,
// blue and black.
inline constexpr std::array<std::array<int, 3>, 8> colourBars{
    {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0}, {191, 0, 191}, {0, 0, 191}, {191, 0, 0}, {0, 0, 0}}};

// A V4L2 camera with its queue, its notices and its frames, as the frame source would hold it.
// `decode` set, each frame's pixels are kept; the camera is called and dropped on its queue.
struct Rig {
  Rig();
  ~Rig();

  template <class Task>
  auto call(Task task) {
    return queue.call(std::move(task));
  }

  SystemClock clock;
  RecordingLog log;
  QueueExecutor queue;
  Inbox<SeenFrame> frames;
  Inbox<CaptureNotice> notices;
  std::atomic<bool> decode{false};
  std::unique_ptr<V4l2Camera> camera;  // last: it goes first
};

// Sleeps on the calling thread.
void pause(double seconds);

// A second handle on a video node, opened apart from the camera code, to see what the
// driver does: the frame interval in force, whether buffers are held, and its controls.
class DriverProbe {
 public:
  explicit DriverProbe(const std::string& node);
  ~DriverProbe();
  DriverProbe(const DriverProbe&) = delete;
  DriverProbe& operator=(const DriverProbe&) = delete;

  // Frames per second of the interval the driver keeps now; none when it will not say.
  std::optional<double> frameRate() const;
  // The pixel format and size the driver captures in, as "NV12 1280x720".
  std::optional<std::string> format() const;
  // Whether somebody holds capture buffers: the driver then refuses a format change with
  // EBUSY. The format is set to the one in force, so nothing changes.
  bool buffersHeld() const;
  // Sets the control named `name` (as the driver names it) to `value`; the errno on failure.
  int setControl(const std::string& name, std::int32_t value) const;

 private:
  int fd_ = -1;
};

// Writes `text` to a sysfs (or any) file; the errno on failure, 0 on success.
int writeFile(const std::string& path, const std::string& text);
// The entries of a folder, sorted; empty when it does not exist.
std::vector<std::string> entries(const std::string& folder);

// A frame the frame source had analysed: when, its size and layout, and what `inspect` said.
struct Analysed {
  Instant at = 0;
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::bgr;
  bool inspected = false;
};

// The frame source on the real camera, as the application holds it, with an analysis that
// records each frame instead of looking for people.
class SourceRig {
 public:
  // `inspect` looks at every analysed frame (on the camera queue).
  explicit SourceRig(std::function<bool(const Frame&)> inspect = [](const Frame&) { return true; });
  ~SourceRig();

  // How many log lines begin with `prefix`.
  std::size_t countLogged(const std::string& prefix) const;

  SystemClock clock;
  RecordingLog log;
  QueueExecutor main;
  Inbox<Analysed> analysed;
  Inbox<Instant> checks;
  Inbox<std::string> missing;
  Inbox<Instant> connected;
  Inbox<Instant> arrivals;
  std::function<bool(const Frame&)> inspect;
  std::unique_ptr<FrameSource> source;  // last: it goes first
};

}  // namespace kestrel::vm
