#include "camera/frame_delivery.hpp"

namespace kestrel {

void FrameDelivery::connect(Executor& queue, CaptureDevice::FrameHandler handler) {
  queue_ = &queue;
  handler_ = std::make_shared<const CaptureDevice::FrameHandler>(std::move(handler));
}

bool FrameDelivery::post(Deliver deliver) {
  if (queue_ == nullptr || !*handler_) return false;
  if (busy_->exchange(true)) return false;
  queue_->post([handler = handler_, busy = busy_, deliver = std::move(deliver)] {
    struct Release {
      std::atomic<bool>& busy;
      ~Release() { busy.store(false); }
    } release{*busy};
    deliver(*handler);
  });
  return true;
}

}  // namespace kestrel
