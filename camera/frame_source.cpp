#include "camera/frame_source.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <type_traits>

#include "core/launch/camera_selection.hpp"
#include "core/launch/capture_format.hpp"
#include "core/launch/frame_rate.hpp"
#include "core/model/thresholds.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

class FrameSource::QueueExecutor final : public Executor {
 public:
  explicit QueueExecutor(SerialQueue& queue) : queue_(queue) {}
  void post(std::function<void()> task) override { queue_.async(std::move(task)); }

 private:
  SerialQueue& queue_;
};

namespace {

std::string oneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

template <class Task>
auto FrameSource::onQueue(Task task) {
  using Result = std::invoke_result_t<Task>;
  if constexpr (std::is_void_v<Result>) {
    queue_.async(std::move(task));
    queue_.sync();
  } else {
    Result result{};
    queue_.async([&result, &task] { result = task(); });
    queue_.sync();
    return result;
  }
}

FrameSource::FrameSource(std::unique_ptr<CaptureDevice> device, FrameAnalysis analysis, Clock& clock, Executor& main,
                         SystemLog& log)
    : device_(std::move(device)),
      analysis_(std::move(analysis)),
      clock_(clock),
      main_(main),
      log_(log),
      scheduler_(Thresholds{}),
      queue_([&log](const std::string& failure) { log.error("camera queue task failed: " + failure); }) {
  frameQueue_ = std::make_unique<QueueExecutor>(queue_);
  device_->setHandlers(
      *frameQueue_, [this](const CapturedFrame& frame) { handleFrame(frame); },
      [this](const CaptureNotice& notice) { handleNotice(notice); });
}

FrameSource::~FrameSource() {
  if (previewSink_) previewSink_->stopped = true;
  onQueue([this] {
    closing_ = true;
    wakeTimer_.cancel();
    device_->stopRunning();
  });
  // Frames handed over before the stop have run by now; the device hands over no more.
  onQueue([this] { device_.reset(); });
}

std::optional<std::string> FrameSource::start(const std::optional<std::string>& pinned) {
  return onQueue([this, &pinned] { return startOnQueue(pinned); });
}

std::optional<std::string> FrameSource::startOnQueue(const std::optional<std::string>& pinned) {
  if (clock_.now() < simulatedOutageUntil_) {
    startFailure_ = "the camera failed";
    return std::nullopt;
  }
  const auto chosen = CameraSelection::choose(device_->cameras(), pinned);
  if (!chosen) {
    startFailure_ = pinned ? "the camera " + *pinned + " is not connected" : "no camera is connected";
    return std::nullopt;
  }
  if (auto error = device_->open(*chosen)) {
    startFailure_ = error->message.empty() ? "the camera " + *chosen + " cannot be opened" : error->message;
    return std::nullopt;
  }
  startFailure_.clear();

  device_->setFramingMode(FramingMode::cooperative);
  std::vector<CaptureFormat::Candidate> candidates;
  for (const auto& format : device_->formats()) candidates.push_back({format.width, format.height, format.isYUV420});
  const auto native = CaptureFormat::choose(candidates);
  if (!native) device_->usePreset();

  deviceId_ = chosen;
  nativeFormat_ = native;
  stopRequested_ = false;
  doze_.cancel();
  startKeepingFormat();
  const auto active = device_->activeFormat();
  log_.notice("camera " + *chosen + " format " + (active ? describe(*active) : std::string("none")) +
              " centerStageControlMode=" + std::to_string(static_cast<std::int64_t>(device_->framingMode())) +
              " isCenterStageEnabled=" + (device_->framingEnabled() ? "true" : "false"));
  return chosen;
}

void FrameSource::startKeepingFormat() {
  if (!nativeFormat_ || !device_->setActiveFormat(*nativeFormat_)) device_->usePreset();
  device_->startRunning();
  startedAt_ = clock_.now();
  setFrameRate(preview_.has_value());
}

void FrameSource::setFrameRate(bool high) {
  const auto format = device_->activeFormat();
  if (!format) return;
  const auto rate = FrameRate::choose(format->frameRates, high);
  if (!rate) return;
  const auto accepted = device_->setFrameRate(*rate);
  if (!accepted) return;
  log_.notice(std::string("frame rate ") + (high ? "high" : "idle") + ": " + oneDecimal(accepted->minRate) + "–" +
              oneDecimal(accepted->maxRate) + " fps");
}

void FrameSource::stop() {
  onQueue([this] {
    stopRequested_ = true;
    doze_.cancel();
    wakeTimer_.cancel();
    endBurstEarly();
    device_->stopRunning();
  });
}

void FrameSource::endBurstEarly() {
  if (!collect_) return;
  auto ended = std::move(*collect_);
  collect_.reset();
  main_.post([done = std::move(ended.done), frames = std::move(ended.frames), ms = ended.ms] { done(frames, ms); });
}

void FrameSource::collectFrames(std::int64_t count, Seconds spacing, BurstDone done) {
  queue_.async([this, count, spacing, done = std::move(done)]() mutable {
    if (closing_) return;
    if (!device_->isRunning()) {
      main_.post([done = std::move(done)] { done({}, 0); });
      return;
    }
    setFrameRate(true);
    collect_ = Collect{count, spacing, clock_.now() + spacing, {}, 0, std::move(done)};
  });
}

void FrameSource::handleFrame(const CapturedFrame& frame) {
  if (closing_) return;
  const Instant now = frame.arrival();
  if (now - lastArrivalReport_ >= arrivalReportSpacing) {
    lastArrivalReport_ = now;
    if (auto arrived = onFrameArrived) main_.post([arrived, now] { arrived(now); });
  }

  if (preview_) showPreview(frame, now);

  if (collect_) {
    if (now < collect_->nextAt) return;
    const Seconds began = clock_.monotonic();
    const std::optional<Frame> pixels = frame.pixels();
    std::optional<Measurements> measurements;
    if (pixels) measurements = analyze(*pixels);
    const double ms = (clock_.monotonic() - began) * 1000;
    if (measurements && preview_) notePreviewFaces(*measurements, now);
    if (measurements) collect_->frames.push_back(std::move(*measurements));
    // A frame that could not be read or analysed still uses up its place, so that a burst
    // always ends.
    collect_->ms += ms;
    collect_->remaining -= 1;
    collect_->nextAt = now + collect_->spacing;
    if (collect_->remaining > 0) return;
    auto finished = std::move(*collect_);
    collect_.reset();
    if (!preview_) setFrameRate(false);
    main_.post([done = std::move(finished.done), frames = std::move(finished.frames), ms = finished.ms] {
      done(frames, ms);
    });
    return;
  }

  if (!checksEnabled_ || !CameraDuty::settled(now, startedAt_)) return;
  CheckScheduler taken = scheduler_;
  if (!taken.takeCheck(now)) return;
  // A frame whose pixels cannot be read (a damaged compressed frame) is passed over: the
  // next one takes the check.
  const Seconds began = clock_.monotonic();
  const std::optional<Frame> pixels = frame.pixels();
  if (!pixels) return;
  scheduler_ = taken;
  auto measurements = analyze(*pixels);
  const double ms = (clock_.monotonic() - began) * 1000;
  if (!measurements) return;  // the check was taken: the scheduler waits for the next one
  std::shared_ptr<const FrameCopy> copy;
  if (copyCheckFrames_) copy = FrameCopy::make(*pixels);
  if (auto check = onCheckFrame) {
    main_.post([check, m = std::move(*measurements), ms, now, copy] { check(m, ms, now, copy); });
  }
}

void FrameSource::startPreview(int width, int height, PreviewShown shown) {
  if (previewSink_) previewSink_->stopped = true;
  auto sink = std::make_shared<PreviewSink>();
  sink->shown = std::move(shown);
  previewSink_ = sink;
  queue_.async([this, width, height, sink = std::move(sink)] {
    if (closing_) return;
    const bool wasOn = preview_.has_value();
    PreviewState state;
    state.width = std::max(1, width);
    state.height = std::max(1, height);
    state.sink = sink;
    preview_ = std::move(state);
    if (!wasOn && !collect_ && device_->isRunning()) setFrameRate(true);
  });
}

void FrameSource::stopPreview() {
  if (!previewSink_) return;
  previewSink_->stopped = true;
  previewSink_.reset();
  queue_.async([this] {
    if (!preview_) return;
    preview_.reset();
    if (!closing_ && !collect_ && device_->isRunning()) setFrameRate(false);
  });
}

FrameSource::PreviewCounts FrameSource::previewCounts() {
  return onQueue([this] { return previewCounts_; });
}

std::string FrameSource::startFailure() {
  return onQueue([this] { return startFailure_; });
}

void FrameSource::showPreview(const CapturedFrame& frame, Instant now) {
  PreviewState& preview = *preview_;
  // A millisecond of slack, so that a camera at exactly twice the rate keeps every other frame.
  if (now - preview.lastPosted < 1.0 / previewRate - 0.001) return;
  if (preview.sink->inFlight.load()) {
    ++previewCounts_.dropped;
    return;
  }
  const std::optional<Frame> pixels = frame.pixels();
  if (!pixels || pixels->width <= 0 || pixels->height <= 0) return;
  if (!collect_ && now - preview.lastAnalysed >= previewAnalysisSpacing) {
    preview.lastAnalysed = now;
    if (auto measurements = analyze(*pixels)) notePreviewFaces(*measurements, now);
  }
  cv::Mat bgr;
  try {
    bgr = toBgr(*pixels);
  } catch (const VisionError&) {
    return;
  }
  const double scale = std::min(static_cast<double>(preview.width) / bgr.cols,
                                static_cast<double>(preview.height) / bgr.rows);
  const int width = std::clamp(static_cast<int>(std::lround(bgr.cols * scale)), 1, preview.width);
  const int height = std::clamp(static_cast<int>(std::lround(bgr.rows * scale)), 1, preview.height);
  cv::Mat scaled;
  cv::resize(bgr, scaled, cv::Size(width, height), 0, 0, scale < 1 ? cv::INTER_AREA : cv::INTER_LINEAR);
  cv::Mat mirrored;
  cv::flip(scaled, mirrored, 1);

  Preview out{frameFromBgr(mirrored), {}};
  if (now - preview.facesAt <= previewFaceLifetime) {
    for (const Rect& share : preview.faces) {
      out.faces.push_back({share.minX * width, share.minY * height, share.width * width, share.height * height});
    }
  }
  preview.lastPosted = now;
  ++previewCounts_.posted;
  preview.sink->inFlight = true;
  main_.post([sink = preview.sink, out = std::move(out)] {
    if (!sink->stopped) sink->shown(out);
    sink->inFlight = false;
  });
}

void FrameSource::notePreviewFaces(const Measurements& measurements, Instant at) {
  if (measurements.frameWidth <= 0 || measurements.frameHeight <= 0) return;
  const double w = measurements.frameWidth;
  const double h = measurements.frameHeight;
  std::vector<Rect> faces;
  // Measurements put the origin at the lower left; the picture is mirrored and starts at the top.
  for (const Face& face : measurements.faces) {
    faces.push_back({1 - face.box.maxX() / w, 1 - face.box.maxY() / h, face.box.width / w, face.box.height / h});
  }
  preview_->faces = std::move(faces);
  preview_->facesAt = at;
}

std::optional<Measurements> FrameSource::analyze(const Frame& pixels) {
  try {
    return analysis_(pixels);
  } catch (const std::exception&) {
    return std::nullopt;  // never reported: the frame simply yields nothing
  }
}

void FrameSource::dozeUntilNextCheck() {
  queue_.async([this] {
    if (closing_ || !device_->isRunning() || collect_ || !checksEnabled_ || !scheduler_.nextCheckDue()) return;
    stopRequested_ = true;
    device_->stopRunning();
    const auto wakeAt = planWake();
    log_.notice("camera doze start wake=" + std::to_string(wakeAt ? wholeSecondsUntil(*wakeAt) : 0));
  });
}

std::optional<Instant> FrameSource::planWake() {
  const auto nextDue = scheduler_.nextCheckDue();
  if (!nextDue) return std::nullopt;
  const Instant wakeAt = CameraDuty::wakeAt(*nextDue);
  const std::int64_t generation = doze_.plan();
  wakeTimer_ = clock_.after(wakeAt - clock_.now(), [this, generation] {
    queue_.async([this, generation] { wake(generation); });
  });
  return wakeAt;
}

void FrameSource::wake(std::int64_t generation) {
  if (closing_ || !doze_.wake(generation)) return;  // a wake of an earlier plan does nothing
  stopRequested_ = false;
  startKeepingFormat();
  log_.notice("camera doze ended reason=wake");
}

void FrameSource::endDoze() {
  queue_.async([this] {
    if (closing_ || !doze_.endForSetting()) return;
    stopRequested_ = false;
    startKeepingFormat();
    log_.notice("camera doze ended reason=setting");
  });
}

void FrameSource::checkNow() {
  queue_.async([this] {
    if (closing_ || !checksEnabled_) return;
    scheduler_.checkNow();
    if (!doze_.dozing || !doze_.wake(doze_.generation)) return;
    stopRequested_ = false;
    startKeepingFormat();
    log_.notice("camera doze ended reason=check_now");
  });
}

void FrameSource::setCheckInterval(Seconds seconds) {
  queue_.async([this, seconds] {
    scheduler_.setInterval(seconds);
    if (closing_ || !doze_.dozing) return;
    const auto wakeAt = planWake();
    log_.notice("camera doze replanned wake=" + std::to_string(wakeAt ? wholeSecondsUntil(*wakeAt) : 0));
  });
}

void FrameSource::setChecksEnabled(bool enabled) {
  queue_.async([this, enabled] { checksEnabled_ = enabled; });
}

void FrameSource::setCopyCheckFrames(bool enabled) {
  queue_.async([this, enabled] { copyCheckFrames_ = enabled; });
}

void FrameSource::simulateFailure(Seconds outage) {
  onQueue([this, outage] {
    simulatedOutageUntil_ = clock_.now() + outage;
    doze_.cancel();
    endBurstEarly();
    device_->stopRunning();
  });
  handleNotice({CaptureNoticeKind::runtimeError, {}});
}

std::optional<std::string> FrameSource::deviceID() {
  return onQueue([this] { return deviceId_; });
}

bool FrameSource::isRunning() {
  return onQueue([this] { return device_->isRunning(); });
}

CameraPermission FrameSource::permission() {
  return onQueue([this] { return device_->permission(); });
}

std::vector<std::string> FrameSource::activeEffects() {
  return onQueue([this] { return deviceId_ ? device_->activeEffects() : std::vector<std::string>{}; });
}

void FrameSource::releaseCenterStage() {
  device_->setFramingMode(FramingMode::user);
  log_.notice("quit centerStageControlMode=" + std::to_string(static_cast<std::int64_t>(device_->framingMode())));
}

void FrameSource::flush() { queue_.sync(); }

void FrameSource::handleNotice(const CaptureNotice& notice) {
  switch (notice.kind) {
    case CaptureNoticeKind::connected:
      if (auto connected = onCameraConnected) main_.post(connected);
      return;
    case CaptureNoticeKind::disconnected:
      queue_.async([this, id = notice.cameraId] {
        if (closing_ || deviceId_ != id) return;
        doze_.cancel();
        reportMissing("disconnected");
      });
      return;
    case CaptureNoticeKind::runtimeError:
      queue_.async([this] {
        if (closing_) return;
        doze_.cancel();
        reportMissing("runtime_error");
      });
      return;
    case CaptureNoticeKind::stopped:
      queue_.async([this] {
        // The camera stopping because this source stopped it (or let it doze) is no failure.
        if (closing_ || stopRequested_ || device_->isRunning()) return;
        doze_.cancel();
        reportMissing("stopped");
      });
      return;
  }
}

void FrameSource::reportMissing(const std::string& reason) {
  if (auto missing = onCameraMissing) main_.post([missing, reason] { missing(reason); });
}

std::int64_t FrameSource::wholeSecondsUntil(Instant instant) const {
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(instant - clock_.now()));
}

}  // namespace kestrel
