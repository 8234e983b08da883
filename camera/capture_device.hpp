#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/executor.hpp"
#include "core/launch/camera_permission.hpp"
#include "core/launch/frame_rate.hpp"
#include "core/base/instant.hpp"
#include "vision/frame.hpp"

namespace kestrel {

// One of a camera's capture formats.
struct DeviceFormat {
  int width = 0;
  int height = 0;
  std::string pixelFormat;  // the camera's own name of its layout: "NV12", "MJPG", "YUYV"
  bool isYUV420 = false;    // handed over as it is; frames of other formats come as BGR
  std::vector<FrameRateRange> frameRates;

  bool operator==(const DeviceFormat&) const = default;
};

// The format as the log shows it: "NV12 1280x720 1-30 fps", ranges joined with ", ".
std::string describe(const DeviceFormat& format);

// Why a camera could not be opened. `denied` is a lack of permission.
struct CaptureError {
  enum class Kind { denied, busy, missing, failed };

  Kind kind = Kind::failed;
  std::string message;

  bool operator==(const CaptureError&) const = default;
};

// What a camera tells about itself, unasked.
enum class CaptureNoticeKind {
  connected,     // some camera was plugged in
  disconnected,  // a camera went away
  runtimeError,  // the camera in use failed while running
  stopped,       // the camera in use stopped running
};

struct CaptureNotice {
  CaptureNoticeKind kind = CaptureNoticeKind::stopped;
  std::string cameraId;  // for connected and disconnected; may be empty when unknown

  bool operator==(const CaptureNotice&) const = default;
};

// One frame as it comes from the camera; valid only during the call that hands it over.
class CapturedFrame {
 public:
  virtual ~CapturedFrame() = default;
  virtual Instant arrival() const = 0;
  // Its pixels, copied or decoded into a frame of its own; none when the camera's data
  // cannot be read (a damaged compressed frame). Only frames that are analysed pay for this.
  virtual std::optional<Frame> pixels() const = 0;
};

// Automatic framing, which some platforms' cameras do on their own. Linux cameras do not:
// the mode is only remembered, framing is never on and no effects are ever active.
enum class FramingMode : std::int64_t { user = 0, cooperative = 1 };

// All the frame source knows of a camera: discovery, formats, frame rates, streaming, frames
// and notices. Everything but the framing calls is called from one thread at a time, the
// camera queue; frames are handed over on the queue given to `setHandlers`, notices on
// whatever thread noticed them.
class CaptureDevice {
 public:
  using FrameHandler = std::function<void(const CapturedFrame&)>;
  using NoticeHandler = std::function<void(const CaptureNotice&)>;

  virtual ~CaptureDevice() = default;

  // Once, before anything else. A frame that comes while the one before still waits on the
  // queue is dropped.
  virtual void setHandlers(Executor& queue, FrameHandler frames, NoticeHandler notices) = 0;

  // The unique identifiers of the cameras, in discovery order.
  virtual std::vector<std::string> cameras() = 0;
  virtual CameraPermission permission() = 0;
  // Opens a camera, closing the one open before; on failure the one open before stays.
  virtual std::optional<CaptureError> open(const std::string& cameraId) = 0;
  // The open camera's formats, in its own order.
  virtual std::vector<DeviceFormat> formats() const = 0;
  // Captures in one of `formats()` from the next start on; false when the camera refuses.
  virtual bool setActiveFormat(std::size_t index) = 0;
  // Captures at about 1280 by 720 in the camera's own choice of format, handed over as BGR.
  virtual void usePreset() = 0;
  virtual std::optional<DeviceFormat> activeFormat() const = 0;
  // The frame rates the camera accepted, slowest and fastest; none when it refused.
  virtual std::optional<FrameRateRange> setFrameRate(double rate) = 0;
  virtual void startRunning() = 0;
  // Never followed by a `stopped` notice: that notice is for stops nobody asked for.
  virtual void stopRunning() = 0;
  virtual bool isRunning() const = 0;

  virtual std::vector<std::string> activeEffects() const { return {}; }
  // May be called from any thread.
  void setFramingMode(FramingMode mode) { framing_.store(mode); }
  FramingMode framingMode() const { return framing_.load(); }
  bool framingEnabled() const { return false; }

 private:
  std::atomic<FramingMode> framing_{FramingMode::user};
};

}  // namespace kestrel
