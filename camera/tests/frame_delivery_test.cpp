#include "camera/frame_delivery.hpp"

#include <gtest/gtest.h>

#include "testing/manual_executor.hpp"

namespace kestrel {
namespace {

class TestFrame final : public CapturedFrame {
 public:
  explicit TestFrame(Instant at) : at_(at) {}
  Instant arrival() const override { return at_; }
  std::optional<Frame> pixels() const override { return std::nullopt; }

 private:
  Instant at_;
};

TEST(FrameDelivery, DropsAFrameThatComesWhileTheOneBeforeStillWaits) {
  FrameDelivery delivery;
  EXPECT_FALSE(delivery.post([](const CaptureDevice::FrameHandler&) {}));  // nothing connected
  ManualExecutor queue;
  std::vector<Instant> handled;
  delivery.connect(queue, [&](const CapturedFrame& frame) { handled.push_back(frame.arrival()); });
  const auto frameAt = [](Instant at) {
    return [at](const CaptureDevice::FrameHandler& handler) { handler(TestFrame(at)); };
  };
  EXPECT_TRUE(delivery.post(frameAt(1)));
  EXPECT_FALSE(delivery.post(frameAt(2)));  // late: dropped, not queued
  EXPECT_EQ(queue.runPending(), 1);
  EXPECT_TRUE(delivery.post(frameAt(3)));
  EXPECT_EQ(queue.runPending(), 1);
  EXPECT_EQ(handled, (std::vector<Instant>{1, 3}));
  // A frame that comes while the handler still runs is dropped too.
  bool droppedDuringHandling = false;
  FrameDelivery busy;
  busy.connect(queue, [&](const CapturedFrame&) { droppedDuringHandling = !busy.post(frameAt(5)); });
  busy.post(frameAt(4));
  queue.runPending();
  EXPECT_TRUE(droppedDuringHandling);
  EXPECT_TRUE(busy.post(frameAt(6)));
}

}  // namespace
}  // namespace kestrel
