#include "testing/fake_camera.hpp"

#include <linux/videodev2.h>

#include <algorithm>

#include "camera/raw_frame.hpp"

namespace kestrel {

namespace {

class FakeFrame final : public CapturedFrame {
 public:
  FakeFrame(Instant at, std::shared_ptr<const Frame> picture, bool unreadable)
      : at_(at), picture_(std::move(picture)), unreadable_(unreadable) {}
  Instant arrival() const override { return at_; }
  std::optional<Frame> pixels() const override {
    if (unreadable_) return std::nullopt;
    return *picture_;
  }

 private:
  Instant at_;
  std::shared_ptr<const Frame> picture_;
  bool unreadable_;
};

// A frame of a capture buffer, read as a V4L2 camera reads it.
class BufferFrame final : public CapturedFrame {
 public:
  BufferFrame(Instant at, RawFrame raw) : at_(at), raw_(raw) {}
  Instant arrival() const override { return at_; }
  std::optional<Frame> pixels() const override { return frameFromRaw(raw_, false); }

 private:
  Instant at_;
  RawFrame raw_;
};

// A small grey picture: enough for anything that does not look at the pixels.
Frame defaultPicture() {
  const int width = 16;
  const int height = 9;
  return {width, height, PixelFormat::bgr,
          {Plane{std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 3), 128), width * 3}}};
}

double clampToRanges(double rate, const DeviceFormat& format) {
  if (format.frameRates.empty()) return rate;
  double slowest = format.frameRates.front().minRate;
  double fastest = format.frameRates.front().maxRate;
  for (const auto& range : format.frameRates) {
    slowest = std::min(slowest, range.minRate);
    fastest = std::max(fastest, range.maxRate);
  }
  return std::clamp(rate, slowest, fastest);
}

double defaultRate(const std::optional<DeviceFormat>& format) {
  if (!format) return 30;
  const auto best = FrameRate::bestRange(format->frameRates);
  return best ? best->maxRate : 30;
}

}  // namespace

FakeCamera::FakeCamera(Clock& clock, std::vector<Camera> cameras)
    : cameras_(std::move(cameras)),
      picture_(std::make_shared<const Frame>(defaultPicture())),
      ticker_(clock, [this](Instant at) { tick(at); }) {}

FakeCamera::~FakeCamera() { ticker_.stop(); }

void FakeCamera::setCameras(std::vector<Camera> cameras) {
  const std::lock_guard lock(mutex_);
  cameras_ = std::move(cameras);
}

void FakeCamera::setPicture(Frame picture) {
  const std::lock_guard lock(mutex_);
  picture_ = std::make_shared<const Frame>(std::move(picture));
}

void FakeCamera::setUnreadable(bool unreadable) {
  const std::lock_guard lock(mutex_);
  unreadable_ = unreadable;
}

void FakeCamera::sendMotionJpeg(std::vector<std::vector<std::uint8_t>> buffers) {
  const std::lock_guard lock(mutex_);
  motionJpeg_.assign(buffers.rbegin(), buffers.rend());
}

std::int64_t FakeCamera::buffersOut() const { return buffersOut_; }

void FakeCamera::setConfigurationFails(bool fails) {
  const std::lock_guard lock(mutex_);
  configurationFails_ = fails;
}

void FakeCamera::setPermission(CameraPermission permission) {
  const std::lock_guard lock(mutex_);
  permission_ = permission;
}

void FakeCamera::notify(const CaptureNotice& notice) {
  NoticeHandler handler;
  {
    const std::lock_guard lock(mutex_);
    handler = notices_;
  }
  if (handler) handler(notice);
}

void FakeCamera::halt() { ticker_.stop(); }

void FakeCamera::unplug() {
  std::string id;
  {
    const std::lock_guard lock(mutex_);
    if (!open_ || unplugged_) return;
    id = open_->id;
    unplugged_ = true;
    std::erase_if(cameras_, [&](const Camera& c) { return c.id == id; });
  }
  ticker_.stop();
  notify({CaptureNoticeKind::disconnected, id});
}

void FakeCamera::plug(Camera camera, std::string noticeId) {
  {
    const std::lock_guard lock(mutex_);
    cameras_.push_back(std::move(camera));
  }
  notify({CaptureNoticeKind::connected, std::move(noticeId)});
}

std::optional<std::string> FakeCamera::openCamera() const {
  const std::lock_guard lock(mutex_);
  if (!open_) return std::nullopt;
  return open_->id;
}

std::optional<std::size_t> FakeCamera::activeFormatIndex() const {
  const std::lock_guard lock(mutex_);
  return format_;
}

double FakeCamera::frameRate() const { return ticker_.rate(); }

std::int64_t FakeCamera::starts() const {
  const std::lock_guard lock(mutex_);
  return starts_;
}

std::int64_t FakeCamera::framesDelivered() const {
  const std::lock_guard lock(mutex_);
  return delivered_;
}

std::int64_t FakeCamera::framesDropped() const {
  const std::lock_guard lock(mutex_);
  return dropped_;
}

void FakeCamera::setHandlers(Executor& queue, FrameHandler frames, NoticeHandler notices) {
  const std::lock_guard lock(mutex_);
  delivery_.connect(queue, std::move(frames));
  notices_ = std::move(notices);
}

std::vector<std::string> FakeCamera::cameras() {
  const std::lock_guard lock(mutex_);
  std::vector<std::string> ids;
  for (const auto& camera : cameras_) ids.push_back(camera.id);
  return ids;
}

CameraPermission FakeCamera::permission() {
  const std::lock_guard lock(mutex_);
  return permission_;
}

std::optional<CaptureError> FakeCamera::open(const std::string& cameraId) {
  {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(cameras_.begin(), cameras_.end(), [&](const Camera& c) { return c.id == cameraId; });
    if (found == cameras_.end()) return CaptureError{CaptureError::Kind::missing, "no camera " + cameraId};
    if (found->openError) return found->openError;
    open_ = *found;
    unplugged_ = false;
    format_.reset();
  }
  ticker_.stop();
  return std::nullopt;
}

const FakeCamera::Camera* FakeCamera::openLocked() const { return open_ ? &*open_ : nullptr; }

std::vector<DeviceFormat> FakeCamera::formats() const {
  const std::lock_guard lock(mutex_);
  const auto* camera = openLocked();
  return camera ? camera->formats : std::vector<DeviceFormat>{};
}

bool FakeCamera::setActiveFormat(std::size_t index) {
  const std::lock_guard lock(mutex_);
  const auto* camera = openLocked();
  if (camera == nullptr || configurationFails_ || index >= camera->formats.size()) return false;
  format_ = index;
  return true;
}

void FakeCamera::usePreset() {
  const std::lock_guard lock(mutex_);
  format_.reset();
}

const DeviceFormat& FakeCamera::formatLocked(const Camera& camera) const {
  return format_ ? camera.formats[*format_] : camera.preset;
}

std::optional<DeviceFormat> FakeCamera::activeFormat() const {
  const std::lock_guard lock(mutex_);
  const auto* camera = openLocked();
  if (camera == nullptr) return std::nullopt;
  return formatLocked(*camera);
}

std::optional<FrameRateRange> FakeCamera::setFrameRate(double rate) {
  double accepted = 0;
  {
    const std::lock_guard lock(mutex_);
    const auto* camera = openLocked();
    if (configurationFails_ || camera == nullptr) return std::nullopt;
    // Like a real camera, it grants only what its format offers: asked for more or less,
    // it runs at the nearest end of its ranges.
    accepted = FrameRate::duration(clampToRanges(rate, formatLocked(*camera))).rate();
  }
  ticker_.setRate(accepted);
  {
    const std::lock_guard lock(mutex_);
    rate_ = accepted;
  }
  return FrameRateRange{accepted, accepted};
}

void FakeCamera::startRunning() {
  double rate = 0;
  bool lost = false;
  {
    const std::lock_guard lock(mutex_);
    const auto* camera = openLocked();
    if (camera == nullptr) return;
    lost = unplugged_;
    if (!lost) {
      ++starts_;
      if (rate_ <= 0) rate_ = defaultRate(formatLocked(*camera));
      rate = rate_;
    }
  }
  if (lost) {
    notify({CaptureNoticeKind::runtimeError, {}});  // its buffers are refused
    return;
  }
  ticker_.start(rate);
}

void FakeCamera::stopRunning() { ticker_.stop(); }

bool FakeCamera::isRunning() const { return ticker_.running(); }

void FakeCamera::tick(Instant at) {
  std::shared_ptr<const Frame> picture;
  bool unreadable = false;
  // A Motion-JPEG buffer to send and the size it is read at.
  std::shared_ptr<const std::vector<std::uint8_t>> buffer;
  int width = 0;
  int height = 0;
  {
    const std::lock_guard lock(mutex_);
    picture = picture_;
    unreadable = unreadable_;
    if (!motionJpeg_.empty() && open_) {
      buffer = std::make_shared<const std::vector<std::uint8_t>>(std::move(motionJpeg_.back()));
      motionJpeg_.pop_back();
      const auto& format = formatLocked(*open_);
      width = format.width;
      height = format.height;
    }
  }
  const bool posted = delivery_.post([this, at, picture, unreadable, buffer, width, height](const FrameHandler& handler) {
    if (!ticker_.running()) return;  // stopped while the frame waited on the queue
    {
      const std::lock_guard lock(mutex_);
      ++delivered_;
    }
    if (!buffer) {
      handler(FakeFrame(at, picture, unreadable));
      return;
    }
    ++buffersOut_;
    handler(BufferFrame(at, {V4L2_PIX_FMT_MJPEG, width, height, 0, *buffer}));
    --buffersOut_;
  });
  if (!posted) {
    const std::lock_guard lock(mutex_);
    ++dropped_;
  }
}

}  // namespace kestrel
