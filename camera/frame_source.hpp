#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"
#include "platform/executor.hpp"
#include "camera/frame_analysis.hpp"
#include "camera/frame_copy.hpp"
#include "platform/system_log.hpp"
#include "core/monitor/camera_duty.hpp"
#include "core/monitor/check_scheduler.hpp"
#include "core/base/instant.hpp"
#include "core/model/measurements.hpp"
#include "core/base/serial_queue.hpp"

namespace kestrel {

// Owns the camera: picks it, chooses its format, keeps it at its lowest frame rate between
// bursts and at about ten frames a second during one, lets it doze between checks and wakes
// it shortly before the next, and turns the frames that start a check or belong to a burst
// into measurements. Everything it holds belongs to its camera queue, one worker thread;
// results reach the caller through the four callbacks, always posted to the main thread.
class FrameSource {
 public:
  using BurstDone = std::function<void(std::vector<Measurements> frames, double ms)>;

  // A burst being collected.
  struct Collect {
    std::int64_t remaining = 0;  // frames still to take
    Seconds spacing = 0;         // between taken frames
    Instant nextAt = 0;          // no frame before this is taken
    std::vector<Measurements> frames;
    double ms = 0;  // analysis time of the frames taken so far
    BurstDone done;
  };

  static constexpr Instant distantPast = -std::numeric_limits<double>::infinity();
  static constexpr Seconds arrivalReportSpacing = 1.0;

  // Set before `start`; each runs on the main thread.
  // Frames are flowing; at most once a second.
  std::function<void(Instant at)> onFrameArrived;
  // The first frame of a check, its analysis time, its arrival and, when copies are on,
  // a copy of it.
  std::function<void(Measurements, double ms, Instant at, std::shared_ptr<const FrameCopy>)> onCheckFrame;
  // The camera went away: "disconnected", "runtime_error" or "stopped".
  std::function<void(std::string reason)> onCameraMissing;
  // Some camera was connected.
  std::function<void()> onCameraConnected;

  // `main` runs the callbacks; the clock, the main thread and the log outlive the source.
  FrameSource(std::unique_ptr<CaptureDevice> device, FrameAnalysis analysis, Clock& clock, Executor& main,
              SystemLog& log);
  ~FrameSource();
  FrameSource(const FrameSource&) = delete;
  FrameSource& operator=(const FrameSource&) = delete;

  // Waits for the camera queue. Opens the pinned camera (or the first one), captures in its
  // chosen format and starts it; the camera's identifier, or none when there is no camera to
  // start (none at all, the pinned one absent, it cannot be opened, a simulated outage).
  std::optional<std::string> start(const std::optional<std::string>& pinned);
  // Waits for the camera queue. Stops the camera; a burst being collected ends with what it has.
  void stop();
  // Collects `count` analysed frames `spacing` seconds apart, at the high frame rate, and
  // hands them to `done`; at once with none when the camera is not running. Replaces a burst
  // being collected without calling its `done`.
  void collectFrames(std::int64_t count, Seconds spacing, BurstDone done);
  // Switches the camera off until 2.5 s before the next check is due; nothing while it is not
  // running, a burst is being collected, checks are off or no check has been taken yet.
  void dozeUntilNextCheck();
  // Wakes a dozing camera now (the user wants it on between checks).
  void endDoze();
  // A new check cadence; a planned wake is planned again for it.
  void setCheckInterval(Seconds seconds);
  void setChecksEnabled(bool enabled);
  void setCopyCheckFrames(bool enabled);
  // Test aid. Waits for the camera queue: stops the camera as if it had failed and makes
  // `start` find no camera for `outage` seconds; then reports a runtime error.
  void simulateFailure(Seconds outage);
  // Waits for the camera queue: the identifier of the camera in use.
  std::optional<std::string> deviceID();
  // Waits for the camera queue: whether the camera streams (it does not while dozing).
  bool isRunning();
  // Waits for the camera queue: whether this user may open the cameras at all.
  CameraPermission permission();
  // Waits for the camera queue: the camera effects switched on (none on Linux).
  std::vector<std::string> activeEffects();
  // At quit, on the caller's thread: gives automatic framing back to the user.
  void releaseCenterStage();
  // Waits until everything queued on the camera queue so far has run.
  void flush();

 private:
  // What runs on the camera queue.
  std::optional<std::string> startOnQueue(const std::optional<std::string>& pinned);
  void handleFrame(const CapturedFrame& frame);
  void handleNotice(const CaptureNotice& notice);
  void startKeepingFormat();
  void setFrameRate(bool high);
  void endBurstEarly();
  std::optional<Instant> planWake();
  void wake(std::int64_t generation);
  std::optional<Measurements> analyze(const Frame& pixels);
  void reportMissing(const std::string& reason);
  std::int64_t wholeSecondsUntil(Instant instant) const;
  template <class Task>
  auto onQueue(Task task);

  std::unique_ptr<CaptureDevice> device_;
  FrameAnalysis analysis_;
  Clock& clock_;
  Executor& main_;
  SystemLog& log_;

  CheckScheduler scheduler_;
  std::optional<std::string> deviceId_;
  Instant lastArrivalReport_ = distantPast;
  bool stopRequested_ = false;
  std::optional<std::size_t> nativeFormat_;
  Instant startedAt_ = distantPast;
  CameraDuty::DozeState doze_;
  Timer wakeTimer_;
  Instant simulatedOutageUntil_ = distantPast;
  std::optional<Collect> collect_;
  bool checksEnabled_ = true;
  bool copyCheckFrames_ = false;
  bool closing_ = false;

  class QueueExecutor;
  std::unique_ptr<QueueExecutor> frameQueue_;
  SerialQueue queue_;  // last: its thread ends first, running what is still queued
};

}  // namespace kestrel
