#pragma once

#include <atomic>
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
#include "core/model/geometry.hpp"
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

  // A picture for a live view: a frame scaled down to fit the view, mirrored left to right as
  // a mirror shows the user, with the faces last seen in the pixels of the picture (origin at
  // its top-left corner, y downwards).
  struct Preview {
    Frame picture;  // BGR
    std::vector<Rect> faces;
  };
  using PreviewShown = std::function<void(const Preview&)>;
  // Pictures handed to the view so far, and pictures left out because the view had not yet
  // taken the one before.
  struct PreviewCounts {
    std::int64_t posted = 0;
    std::int64_t dropped = 0;
  };

  static constexpr Instant distantPast = -std::numeric_limits<double>::infinity();
  static constexpr Seconds arrivalReportSpacing = 1.0;
  // At most this many preview pictures a second.
  static constexpr double previewRate = 15;
  // Outside a burst, a preview frame is analysed for its face box at most this often.
  static constexpr Seconds previewAnalysisSpacing = 0.5;
  // A face box older than this is no longer drawn.
  static constexpr Seconds previewFaceLifetime = 1.5;

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
  // The next frame that comes is checked, as the very first one is, and a dozing camera wakes
  // for it; nothing while checks are off.
  void checkNow();
  // A new check cadence; a planned wake is planned again for it.
  void setCheckInterval(Seconds seconds);
  void setChecksEnabled(bool enabled);
  void setCopyCheckFrames(bool enabled);
  // Test aid. Waits for the camera queue: stops the camera as if it had failed and makes
  // `start` find no camera for `outage` seconds; then reports a runtime error.
  void simulateFailure(Seconds outage);
  // Starts a live preview for a view of `width` × `height` pixels, replacing one running: each
  // picture is made on the camera queue and posted to the main thread for `shown`, at most
  // `previewRate` a second, and left out, never queued, while the one posted before has not
  // been shown yet. While a preview runs the camera keeps its high frame rate.
  void startPreview(int width, int height, PreviewShown shown);
  // Ends the preview; nothing posted before is shown any more. From the caller's thread, the
  // one that started it.
  void stopPreview();
  // Waits for the camera queue.
  PreviewCounts previewCounts();
  // Waits for the camera queue: why the last start found no camera to start, for the user.
  std::string startFailure();
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
  void showPreview(const CapturedFrame& frame, Instant now);
  void notePreviewFaces(const Measurements& measurements, Instant at);
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
  std::string startFailure_;

  // The preview's side that the main thread sees: set when a picture is on its way, and
  // stopped for good when the preview ends.
  struct PreviewSink {
    PreviewShown shown;
    std::atomic<bool> inFlight{false};
    std::atomic<bool> stopped{false};
  };
  struct PreviewState {
    int width = 0;
    int height = 0;
    std::shared_ptr<PreviewSink> sink;
    Instant lastPosted = distantPast;
    Instant lastAnalysed = distantPast;
    std::vector<Rect> faces;  // as shares of the frame, mirrored, origin at the top left
    Instant facesAt = distantPast;
  };
  std::optional<PreviewState> preview_;
  PreviewCounts previewCounts_;
  std::shared_ptr<PreviewSink> previewSink_;  // the caller's thread only

  class QueueExecutor;
  std::unique_ptr<QueueExecutor> frameQueue_;
  SerialQueue queue_;  // last: its thread ends first, running what is still queued
};

}  // namespace kestrel
