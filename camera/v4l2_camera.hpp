#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "camera/capture_device.hpp"
#include "platform/clock.hpp"
#include "platform/system_log.hpp"
#include "camera/v4l2_devices.hpp"
#include "camera/v4l2_formats.hpp"

namespace kestrel {

// The real camera: Video4Linux2 directly, so that the format and the frame rate are exactly
// what was chosen and the camera's light is on only while it streams.
// - Cameras are the /dev/video* nodes that capture and stream, named by their link in
//   /dev/v4l/by-id (else card and bus); formats, sizes and frame intervals come from the
//   enumeration ioctls, the frame rate is set with VIDIOC_S_PARM.
// - Streaming uses memory-mapped buffers. A watcher thread only waits for a filled buffer;
//   taking buffers, handing the newest frame over and giving buffers back happen on the
//   camera queue, and older filled buffers are given back unread (late frames are dropped).
// - A udev monitor on the video4linux subsystem reports cameras plugged in and out.
// Every decision (formats, rates, names, errors, pixel layouts) lives in V4l2Formats,
// V4l2Devices and frameFromRaw; this class only talks to the kernel.
class V4l2Camera final : public CaptureDevice {
 public:
  V4l2Camera(Clock& clock, SystemLog& log);
  ~V4l2Camera() override;
  V4l2Camera(const V4l2Camera&) = delete;
  V4l2Camera& operator=(const V4l2Camera&) = delete;

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
  struct Node {
    std::string path;
    std::string id;
  };
  struct Offered {
    DeviceFormat format;
    std::uint32_t fourcc = 0;
    FrameIntervals intervals;
  };
  struct Buffer {
    void* start = nullptr;
    std::size_t length = 0;
  };
  // The watcher of one stream: it waits for a filled buffer, then for the queue to take it.
  struct Watch {
    std::mutex mutex;
    std::condition_variable taken;
    bool posted = false;
    bool stop = false;
    bool failing = false;  // the device reported an error condition instead of a frame
    int wake = -1;  // an eventfd that ends the wait for a buffer
    std::thread thread;
  };

  std::vector<Node> discover();
  std::vector<Offered> enumerate(int fd) const;
  bool configure(std::uint32_t fourcc, int width, int height);
  void readFormat();
  bool startStream();
  void stopStream();
  void watch(const std::shared_ptr<Watch>& watch, int fd, std::uint64_t stream);
  void drain(const std::shared_ptr<Watch>& watch, std::uint64_t stream);
  void requeue(std::uint32_t index);
  void notify(const CaptureNotice& notice);
  void watchHotplug();

  Clock& clock_;
  SystemLog& log_;
  Executor* queue_ = nullptr;
  FrameHandler frames_;
  NoticeHandler notices_;

  // Camera-queue state.
  int fd_ = -1;
  std::vector<Offered> offered_;
  std::optional<std::size_t> active_;
  std::optional<DeviceFormat> presetFormat_;  // the preset's format when none offered matches
  std::uint32_t fourcc_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bytesPerLine_ = 0;
  bool keepYUV420_ = false;
  std::vector<Buffer> buffers_;
  bool streaming_ = false;
  std::uint64_t stream_ = 0;  // counts stream starts
  std::shared_ptr<Watch> watch_;

  // What the hot-plug thread reads too.
  mutable std::mutex nodesMutex_;
  std::vector<Node> nodes_;
  std::optional<Node> open_;
  LossReport losses_;

  void* udev_ = nullptr;
  void* monitor_ = nullptr;
  int hotplugWake_ = -1;
  std::thread hotplug_;
};

}  // namespace kestrel
