#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"
#include "camera/frame_delivery.hpp"
#include "camera/frame_ticker.hpp"

namespace kestrel {

// A camera for tests. It streams frames at the frame rate it was given, on the clock the
// test moves, all showing the same picture; the test decides which cameras exist, what they
// offer, whether they can be opened or configured, and sends notices itself.
class FakeCamera final : public CaptureDevice {
 public:
  struct Camera {
    std::string id;
    std::vector<DeviceFormat> formats;
    std::optional<CaptureError> openError;
    // What the camera captures in when no format of its own was chosen.
    DeviceFormat preset{1280, 720, "BGR3", false, {{1, 30}}};
  };

  FakeCamera(Clock& clock, std::vector<Camera> cameras);
  ~FakeCamera() override;

  // The test's controls; any thread.
  void setCameras(std::vector<Camera> cameras);
  void setPicture(Frame picture);
  // Frames whose pixels cannot be read, like a damaged compressed frame.
  void setUnreadable(bool unreadable);
  // Motion-JPEG buffers to send before the picture comes again, one a frame, in order. Each is
  // read as a V4L2 camera reads its capture buffers (at the size of the format in use), and is
  // given back when the frame handler returns, like a V4L2 camera's.
  void sendMotionJpeg(std::vector<std::vector<std::uint8_t>> buffers);
  // The camera refuses formats and frame rates.
  void setConfigurationFails(bool fails);
  void setPermission(CameraPermission permission);
  // Hands a notice to the notice handler on the calling thread.
  void notify(const CaptureNotice& notice);
  // The camera stops streaming by itself (the test sends the notice it wants).
  void halt();
  // The open camera is unplugged, as a real one is: it stops streaming, leaves the cameras
  // and tells its loss once, `disconnected` with its identifier (though its stream failing
  // and its node vanishing both say so); starting it again is a `runtimeError`. Nothing
  // happens when no camera is open.
  void unplug();
  // A camera is plugged in: it joins the cameras and `connected` is told once, with
  // `noticeId`, which is empty when the system has no stable name for it (no by-id link).
  void plug(Camera camera, std::string noticeId = {});

  // What the test observes; any thread.
  std::optional<std::string> openCamera() const;
  std::optional<std::size_t> activeFormatIndex() const;  // none while the preset is in use
  double frameRate() const;                               // the rate it streams at
  std::int64_t starts() const;
  std::int64_t framesDelivered() const;
  std::int64_t framesDropped() const;
  // Capture buffers that went to the frame handler and never came back (it threw).
  std::int64_t buffersOut() const;

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
  void tick(Instant at);
  const Camera* openLocked() const;
  // The format the open camera streams in: the one chosen, else its preset.
  const DeviceFormat& formatLocked(const Camera& camera) const;

  mutable std::mutex mutex_;
  std::vector<Camera> cameras_;
  std::optional<Camera> open_;
  std::optional<std::size_t> format_;
  std::shared_ptr<const Frame> picture_;
  bool unreadable_ = false;
  std::vector<std::vector<std::uint8_t>> motionJpeg_;  // still to send, the next one last
  std::atomic<std::int64_t> buffersOut_{0};
  bool unplugged_ = false;  // the open camera is gone
  bool configurationFails_ = false;
  CameraPermission permission_ = CameraPermission::authorized;
  double rate_ = 0;
  std::int64_t starts_ = 0;
  std::int64_t delivered_ = 0;
  std::int64_t dropped_ = 0;
  NoticeHandler notices_;
  FrameDelivery delivery_;
  FrameTicker ticker_;  // last: stops before the rest goes
};

}  // namespace kestrel
