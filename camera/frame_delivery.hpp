#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "camera/capture_device.hpp"
#include "platform/executor.hpp"

namespace kestrel {

// Hands a camera's frames to the frame handler on the camera queue, one at a time. A frame
// that comes while the one before still waits or is being handled is dropped: late frames
// are discarded, never queued up behind a slow analysis.
class FrameDelivery {
 public:
  using Deliver = std::function<void(const CaptureDevice::FrameHandler&)>;

  // Once, before the first `post`.
  void connect(Executor& queue, CaptureDevice::FrameHandler handler);
  // Queues `deliver`, which hands one frame to the handler; false when the frame is dropped
  // (or nothing is connected). May be called from any thread.
  bool post(Deliver deliver);

 private:
  Executor* queue_ = nullptr;
  std::shared_ptr<const CaptureDevice::FrameHandler> handler_;
  std::shared_ptr<std::atomic<bool>> busy_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace kestrel
