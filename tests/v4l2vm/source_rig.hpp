#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/frame_source.hpp"
#include "testing/recording_log.hpp"
#include "platform/system_clock.hpp"
#include "core/model/measurements.hpp"
#include "tests/v4l2vm/guest_support.hpp"

namespace kestrel::vm {

// A frame the frame source had analysed: when, its size and layout, and what `inspect` said.
struct Analysed {
  Instant at = 0;
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::bgr;
  bool inspected = false;
};

struct CheckSeen {
  Measurements measurements;
  Instant at = 0;
};

// The frame source on the real camera, as the application holds it, with an analysis that
// records each frame instead of looking for people: its measurements carry the frame's size.
class SourceRig {
 public:
  // `inspect` looks at every analysed frame (on the camera queue).
  explicit SourceRig(std::function<bool(const Frame&)> inspect = [](const Frame&) { return true; });
  ~SourceRig();
  SourceRig(const SourceRig&) = delete;
  SourceRig& operator=(const SourceRig&) = delete;

  // Whether the system log got exactly this line.
  bool logged(const std::string& line) const;
  // Waits up to `seconds` for the system log to get exactly this line; whether it did. The
  // source logs on its own queue, after the camera it restarted already streams.
  bool awaitLogged(const std::string& line, double seconds) const;
  // The log lines that begin with `prefix`.
  std::vector<std::string> loggedStarting(const std::string& prefix) const;

  SystemClock clock;
  RecordingLog log;
  QueueExecutor main;
  Inbox<Analysed> analysed;
  Inbox<CheckSeen> checks;
  Inbox<std::string> missing;
  Inbox<Instant> connected;
  Inbox<Instant> arrivals;
  std::function<bool(const Frame&)> inspect;
  std::unique_ptr<FrameSource> source;  // last: it goes first
};

}  // namespace kestrel::vm
