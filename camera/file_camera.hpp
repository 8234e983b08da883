#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"
#include "camera/frame_delivery.hpp"
#include "camera/frame_ticker.hpp"

namespace cv {
class Mat;
class VideoCapture;
}  // namespace cv

namespace kestrel {

// A video file played as if it were the camera: one camera, one format (the video's size,
// frames as BGR) whose frame rates go from 1 to the video's own rate. While it runs, the
// video plays in real time on the clock and each frame delivered at the rate set shows the
// picture of that moment; a stop pauses the video and the next start goes on from there.
// At its end the video starts again when looping; otherwise the camera stops by itself
// (a `stopped` notice).
class FileCamera final : public CaptureDevice {
 public:
  // The rate assumed for a video that does not state one.
  static constexpr double fallbackRate = 30;

  FileCamera(Clock& clock, std::filesystem::path video, bool loop);
  ~FileCamera() override;

  // The identifier the video has as a camera: "file:" and its path.
  static std::string identifier(const std::filesystem::path& video);

  void setHandlers(Executor& queue, FrameHandler frames, NoticeHandler notices) override;
  std::vector<std::string> cameras() override;
  CameraPermission permission() override;
  std::optional<CaptureError> open(const std::string& cameraId) override;
  std::vector<DeviceFormat> formats() const override;
  bool setActiveFormat(std::size_t index) override;
  void usePreset() override;
  std::optional<DeviceFormat> activeFormat() const override;
  std::optional<FrameRateRange> setFrameRate(double rate) override;
  void startRunning() override;
  void stopRunning() override;
  bool isRunning() const override;

 private:
  void deliver(Instant at, const FrameHandler& handler);
  // The video's frame at `at` of the playing time line; none at the end without looping.
  std::optional<cv::Mat> pictureAt(Instant at);
  bool rewind();

  std::filesystem::path path_;
  bool loop_;
  NoticeHandler notices_;
  FrameDelivery delivery_;
  // Camera-queue state.
  std::unique_ptr<cv::VideoCapture> video_;
  std::optional<DeviceFormat> format_;
  double videoRate_ = fallbackRate;
  double rate_ = 0;
  std::int64_t nextIndex_ = 0;   // the frame the video reads next
  std::unique_ptr<cv::Mat> last_;  // the frame read last
  std::optional<Instant> playingSince_;  // when the first frame after a start came
  double playedBefore_ = 0;              // video seconds played before that
  FrameTicker ticker_;  // last: stops before the rest goes
};

}  // namespace kestrel
