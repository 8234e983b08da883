#include "tests/v4l2vm/loopback_scenarios.hpp"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>

#include "testing/recording_log.hpp"
#include "platform/system_clock.hpp"
#include "camera/v4l2_camera.hpp"
#include "camera/v4l2_io.hpp"
#include "core/launch/capture_format.hpp"
#include "core/launch/frame_rate.hpp"
#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/source_rig.hpp"

namespace kestrel::vm {

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int fps = 30;

// The eight colour bars at three quarters strength, as BGR.
constexpr std::array<std::array<int, 3>, 8> bars{{{191, 191, 191},
                                                 {0, 191, 191},
                                                 {191, 191, 0},
                                                 {0, 191, 0},
                                                 {191, 0, 191},
                                                 {0, 0, 191},
                                                 {191, 0, 0},
                                                 {0, 0, 0}}};

// A 1280x720 JPEG of the colour bars; with `noisy`, a band of noise along the top makes it
// several times larger, so that a small frame lands in a buffer that held a large one.
std::vector<std::uint8_t> barsJpeg(bool noisy) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width * height * 3));
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto* pixel = &bgr[static_cast<std::size_t>((y * width + x) * 3)];
      const auto& bar = bars[static_cast<std::size_t>(x * 8 / width)];
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(bar[static_cast<std::size_t>(c)]);
      if (noisy && y < height / 4) {
        seed = seed * 1664525U + 1013904223U;
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(seed >> (8 * c));
      }
    }
  }
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle, bgr.data(), width, width * 3, height, TJPF_BGR, &jpeg, &size, TJSAMP_422, 85, 0);
  std::vector<std::uint8_t> bytes;
  if (result == 0) bytes.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(handle);
  return bytes;
}

// Writes JPEG frames to the loopback node at 30 a second, the way a program feeding a
// virtual camera does, a large one and a small one in turn. The small one is handed over as
// a whole buffer whose rest still holds the large frame before: some producers and drivers
// report a buffer's whole length as its bytes used, so the decoder meets bytes after the
// image's end marker.
class Producer {
 public:
  Producer() : small_(barsJpeg(false)), large_(barsJpeg(true)), stale_(large_) {
    std::copy(small_.begin(), small_.end(), stale_.begin());
    fd_ = ::open(loopbackNode.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return;
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    format.fmt.pix.width = width;
    format.fmt.pix.height = height;
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_MJPEG;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    format.fmt.pix.sizeimage = static_cast<std::uint32_t>(std::max(large_.size(), small_.size()) * 2);
    formatSet_ = xioctl(fd_, VIDIOC_S_FMT, &format) == 0;
    v4l2_streamparm parameters{};
    parameters.type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
    parameters.parm.output.timeperframe = {1, fps};
    xioctl(fd_, VIDIOC_S_PARM, &parameters);
    thread_ = std::thread([this] { run(); });
  }
  ~Producer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  Producer(const Producer&) = delete;
  Producer& operator=(const Producer&) = delete;

  bool ready() const { return fd_ >= 0 && formatSet_ && !small_.empty() && !large_.empty(); }
  std::int64_t written() const { return written_; }
  std::size_t smallSize() const { return small_.size(); }
  std::size_t largeSize() const { return large_.size(); }

 private:
  void run() {
    auto next = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; !stop_; ++i) {
      const auto& jpeg = i % 2 == 0 ? large_ : stale_;
      if (::write(fd_, jpeg.data(), jpeg.size()) == static_cast<ssize_t>(jpeg.size())) ++written_;
      next += std::chrono::microseconds(1000000 / fps);
      std::this_thread::sleep_until(next);
    }
  }

  std::vector<std::uint8_t> small_;
  std::vector<std::uint8_t> large_;
  std::vector<std::uint8_t> stale_;
  int fd_ = -1;
  bool formatSet_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<std::int64_t> written_{0};
  std::thread thread_;
};

// Whether a decoded frame shows the eight bars (JPEG loses a little; a frame from the wrong
// bytes or a half-decoded one does not come close).
bool showsBars(const Frame& frame) {
  if (frame.format != PixelFormat::bgr || frame.width != width || frame.height != height) return false;
  const auto& plane = frame.planes.front();
  const int row = height * 3 / 4;
  for (int bar = 0; bar < 8; ++bar) {
    const int x = (2 * bar + 1) * width / 16;
    const auto* pixel = &plane.bytes[static_cast<std::size_t>(row * plane.stride + x * 3)];
    for (int c = 0; c < 3; ++c) {
      if (std::abs(pixel[c] - bars[static_cast<std::size_t>(bar)][static_cast<std::size_t>(c)]) > 12) return false;
    }
  }
  return true;
}

// Whether the top of a decoded frame shows the large frame's band of noise.
bool showsNoise(const Frame& frame) {
  const auto& plane = frame.planes.front();
  const int row = height / 8;
  int differing = 0;
  for (int bar = 0; bar < 8; ++bar) {
    const int x = (2 * bar + 1) * width / 16;
    const auto* pixel = &plane.bytes[static_cast<std::size_t>(row * plane.stride + x * 3)];
    int difference = 0;
    for (int c = 0; c < 3; ++c) {
      difference += std::abs(pixel[c] - bars[static_cast<std::size_t>(bar)][static_cast<std::size_t>(c)]);
    }
    if (difference > 40) ++differing;
  }
  return differing >= 4;
}

// The loopback node is a camera only while something feeds it.
void discovery(Tally& tally) {
  Rig rig;
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId}, "unfed, the loopback node is no camera");
  Producer producer;
  if (!tally.expect(producer.ready(), "the producer sets MJPG 1280x720 on the output side")) return;
  pause(0.5);
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId, loopbackId},
              "fed, it is a camera after vivid's");
}

// A Motion-JPEG camera with two buffers, jumping sequence numbers and frames of changing size.
void mjpeg(Tally& tally) {
  Producer producer;
  if (!tally.expect(producer.ready(), "the producer runs")) return;
  tally.note("JPEG sizes: " + std::to_string(producer.smallSize()) + " and " + std::to_string(producer.largeSize()) +
             " bytes");
  pause(0.5);
  Rig rig;
  if (!tally.equal(rig.call([&] { return rig.camera->open(loopbackId); }), std::optional<CaptureError>(), "opens")) return;
  const auto offered = rig.call([&] { return rig.camera->formats(); });
  tally.equal(offered, std::vector<DeviceFormat>{{width, height, "MJPG", false, {{fps, fps}}}},
              "one format: MJPG 1280x720 at 30 fps");
  std::vector<CaptureFormat::Candidate> candidates;
  for (const auto& f : offered) candidates.push_back({f.width, f.height, f.isYUV420});
  const auto chosen = CaptureFormat::choose(candidates);
  tally.equal(chosen, std::optional<std::size_t>(0), "it is chosen");
  if (!tally.expect(chosen && rig.call([&] { return rig.camera->setActiveFormat(*chosen); }), "it is set")) return;
  const auto idle = FrameRate::choose(offered.front().frameRates, false);
  tally.equal(rig.call([&] { return rig.camera->setFrameRate(idle.value_or(0)); }), std::optional<FrameRateRange>(FrameRateRange{fps, fps}),
              "the idle rate is the only one");
  rig.call([&] { return rig.camera->startRunning(); });
  tally.expect(rig.frames.waitFor(31, 10), "thirty-one frames arrive");
  const double gap = medianGap(rig.arrivals());
  tally.within(gap, 0.8 / fps, 1.25 / fps, "about 30 frames a second (median gap)");

  // Every frame decoded now, as many as the guest manages; late ones are dropped unread.
  rig.decode = true;
  rig.frames.clear();
  tally.expect(rig.frames.waitFor(20, 10), "twenty frames decoded");
  rig.call([&] { return rig.camera->stopRunning(); });
  rig.queue.sync();
  std::int64_t unreadable = 0;
  std::int64_t large = 0;
  std::int64_t small = 0;
  std::int64_t wrong = 0;
  for (const auto& frame : rig.frames.items()) {
    if (!frame.pixels) {
      ++unreadable;
    } else if (!showsBars(*frame.pixels)) {
      ++wrong;
    } else {
      ++(showsNoise(*frame.pixels) ? large : small);
    }
  }
  tally.note("median gap " + std::to_string(gap) + " s; decoded " + std::to_string(large) + " large and " +
             std::to_string(small) + " small frames, " + std::to_string(unreadable) + " unreadable, " +
             std::to_string(wrong) + " wrong; " + std::to_string(producer.written()) + " written");
  tally.equal(unreadable, std::int64_t{0}, "every frame decodes");
  tally.equal(wrong, std::int64_t{0}, "every decoded frame shows the bars");
  tally.expect(large >= 3, "large frames decoded");
  tally.expect(small >= 3, "small frames with the large one's bytes after them decoded");
}

// The frame source on the Motion-JPEG camera: its one format, its one rate, a check frame
// and a burst, every frame decoded.
void sourceMjpeg(Tally& tally) {
  Producer producer;
  if (!tally.expect(producer.ready(), "the producer runs")) return;
  pause(0.5);
  SourceRig rig(showsBars);
  tally.equal(rig.source->start(loopbackId), std::optional<std::string>(loopbackId), "starts the pinned camera");
  tally.expect(rig.logged("camera " + loopbackId +
                          " format MJPG 1280x720 30-30 fps centerStageControlMode=1 isCenterStageEnabled=false"),
               "the start is logged");
  tally.expect(rig.logged("frame rate idle: 30.0–30.0 fps"), "the idle rate is its only rate");
  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  Inbox<std::vector<Measurements>> bursts;
  rig.source->collectFrames(5, 0.25, [&bursts](std::vector<Measurements> frames, double) { bursts.add(frames); });
  if (!tally.expect(bursts.waitFor(1, 5), "a burst of five frames a quarter second apart completes")) return;
  tally.equal(bursts.items().front().size(), 5U, "five frames in the burst");
  tally.expect(rig.logged("frame rate high: 30.0–30.0 fps"), "the high rate is its only rate too");
  const auto analysed = rig.analysed.items();
  tally.equal(analysed.size(), 6U, "six frames analysed");
  std::int64_t showing = 0;
  for (const auto& frame : analysed) {
    if (frame.inspected && frame.format == PixelFormat::bgr && frame.width == width && frame.height == height) {
      ++showing;
    }
  }
  tally.equal(showing, static_cast<std::int64_t>(analysed.size()), "every analysed frame is 1280x720 BGR with the bars");
}

}  // namespace

std::vector<Scenario> loopbackScenarios() {
  return {{"loopback-discovery", discovery}, {"mjpeg", mjpeg}, {"source-mjpeg", sourceMjpeg}};
}

}  // namespace kestrel::vm
