#include "camera/file_camera.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

namespace kestrel {

namespace {

class FileFrame final : public CapturedFrame {
 public:
  FileFrame(Instant at, cv::Mat picture) : at_(at), picture_(std::move(picture)) {}
  Instant arrival() const override { return at_; }
  std::optional<Frame> pixels() const override { return frameFromBgr(picture_); }

 private:
  Instant at_;
  cv::Mat picture_;
};

// Frame positions are computed in floating point; a position a hair below a whole frame
// counts as that frame.
constexpr double positionSlack = 1e-6;

}  // namespace

FileCamera::FileCamera(Clock& clock, std::filesystem::path video, bool loop)
    : path_(std::move(video)), loop_(loop), ticker_(clock, [this](Instant at) {
        delivery_.post([this, at](const FrameHandler& handler) { deliver(at, handler); });
      }) {}

FileCamera::~FileCamera() { ticker_.stop(); }

std::string FileCamera::identifier(const std::filesystem::path& video) { return "file:" + video.string(); }

void FileCamera::setHandlers(Executor& queue, FrameHandler frames, NoticeHandler notices) {
  delivery_.connect(queue, std::move(frames));
  notices_ = std::move(notices);
}

std::vector<std::string> FileCamera::cameras() { return {identifier(path_)}; }

CameraPermission FileCamera::permission() { return CameraPermission::authorized; }

std::optional<CaptureError> FileCamera::open(const std::string& cameraId) {
  if (cameraId != identifier(path_)) return CaptureError{CaptureError::Kind::missing, "no camera " + cameraId};
  std::error_code error;
  if (!std::filesystem::is_regular_file(path_, error)) {
    return CaptureError{CaptureError::Kind::missing, "no video at " + path_.string()};
  }
  auto video = std::make_unique<cv::VideoCapture>(path_.string());
  if (!video->isOpened()) return CaptureError{CaptureError::Kind::missing, "cannot read the video " + path_.string()};
  ticker_.stop();
  const double stated = video->get(cv::CAP_PROP_FPS);
  videoRate_ = std::isfinite(stated) && stated > 0 ? stated : fallbackRate;
  const int width = static_cast<int>(video->get(cv::CAP_PROP_FRAME_WIDTH));
  const int height = static_cast<int>(video->get(cv::CAP_PROP_FRAME_HEIGHT));
  format_ = DeviceFormat{width, height, "BGR3", false, {{std::min(1.0, videoRate_), videoRate_}}};
  video_ = std::move(video);
  rate_ = videoRate_;
  nextIndex_ = 0;
  last_.reset();
  playingSince_.reset();
  playedBefore_ = 0;
  return std::nullopt;
}

std::vector<DeviceFormat> FileCamera::formats() const {
  if (!format_) return {};
  return {*format_};
}

bool FileCamera::setActiveFormat(std::size_t index) { return format_ && index == 0; }

void FileCamera::usePreset() {}

std::optional<DeviceFormat> FileCamera::activeFormat() const { return format_; }

std::optional<FrameRateRange> FileCamera::setFrameRate(double rate) {
  if (!format_) return std::nullopt;
  const auto& range = format_->frameRates.front();
  rate_ = FrameRate::duration(std::clamp(rate, range.minRate, range.maxRate)).rate();
  ticker_.setRate(rate_);
  return FrameRateRange{rate_, rate_};
}

void FileCamera::startRunning() {
  if (!video_ || ticker_.running()) return;
  playingSince_.reset();
  playedBefore_ = static_cast<double>(nextIndex_) / videoRate_;
  ticker_.start(rate_);
}

void FileCamera::stopRunning() { ticker_.stop(); }

bool FileCamera::isRunning() const { return ticker_.running(); }

void FileCamera::deliver(Instant at, const FrameHandler& handler) {
  if (!ticker_.running()) return;  // stopped while the frame waited on the queue
  const auto picture = pictureAt(at);
  if (!picture) {
    ticker_.stop();
    if (notices_) notices_({CaptureNoticeKind::stopped, {}});
    return;
  }
  handler(FileFrame(at, *picture));
}

std::optional<cv::Mat> FileCamera::pictureAt(Instant at) {
  if (!playingSince_) playingSince_ = at;
  const double position = (playedBefore_ + (at - *playingSince_)) * videoRate_;
  const auto wanted = static_cast<std::int64_t>(std::floor(position + positionSlack));
  if (last_ && wanted < nextIndex_) return *last_;  // still the picture shown last
  cv::Mat picture;
  while (nextIndex_ <= wanted) {
    const bool more = nextIndex_ < wanted ? video_->grab() : video_->read(picture);
    if (!more) {
      if (!loop_ || !rewind()) return std::nullopt;
      // The video starts again at this frame.
      playingSince_ = at;
      playedBefore_ = 0;
      if (!video_->read(picture)) return std::nullopt;
      nextIndex_ = 1;
      break;
    }
    ++nextIndex_;
  }
  if (picture.empty()) return std::nullopt;
  last_ = std::make_unique<cv::Mat>(picture);
  return picture;
}

bool FileCamera::rewind() {
  video_ = std::make_unique<cv::VideoCapture>(path_.string());
  nextIndex_ = 0;
  return video_->isOpened();
}

}  // namespace kestrel
