#include "tests/v4l2vm/scenarios.hpp"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "camera/v4l2_io.hpp"
#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/guest_support.hpp"

namespace kestrel::vm {

namespace {

constexpr int width = 1280;
constexpr int height = 720;
constexpr int fps = 30;

// A 1280x720 JPEG of the colour bars; with `noisy`, a band of noise along the top makes it
// several times larger, so that a small frame lands in a buffer that held a large one.
std::vector<std::uint8_t> barsJpeg(bool noisy) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width * height * 3));
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto* pixel = &bgr[static_cast<std::size_t>((y * width + x) * 3)];
      const auto& bar = colourBars[static_cast<std::size_t>(x * 8 / width)];
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
  std::vector<std::uint8_t> bytes(jpeg, jpeg + (result == 0 ? size : 0));
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

  bool ready() const { return fd_ >= 0 && formatSet_ && !small_.empty() && !large_.empty(); }

 private:
  void run() {
    auto next = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; !stop_; ++i) {
      const auto& jpeg = i % 2 == 0 ? large_ : stale_;
      [[maybe_unused]] const auto written = ::write(fd_, jpeg.data(), jpeg.size());
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
  std::thread thread_;
};

// How far the centre of `bar` on `row` of a decoded BGR frame is from the bar's colour: the
// largest and the summed difference of its channels.
std::pair<int, int> barDistance(const Frame& frame, int row, int bar) {
  const auto& plane = frame.planes.front();
  const auto* pixel = &plane.bytes[static_cast<std::size_t>(row * plane.stride + (2 * bar + 1) * width / 16 * 3)];
  std::pair<int, int> distance{0, 0};
  for (std::size_t c = 0; c < 3; ++c) {
    const int difference = std::abs(pixel[c] - colourBars[static_cast<std::size_t>(bar)][c]);
    distance = {std::max(distance.first, difference), distance.second + difference};
  }
  return distance;
}

// Whether a decoded frame shows the eight bars (JPEG loses a little; a frame from the wrong
// bytes or a half-decoded one does not come close).
bool showsBars(const Frame& frame) {
  if (frame.format != PixelFormat::bgr || frame.width != width || frame.height != height) return false;
  for (int bar = 0; bar < 8; ++bar) {
    if (barDistance(frame, height * 3 / 4, bar).first > 12) return false;
  }
  return true;
}

// Whether the top of a decoded frame shows the large frame's band of noise.
bool showsNoise(const Frame& frame) {
  int differing = 0;
  for (int bar = 0; bar < 8; ++bar) differing += barDistance(frame, height / 8, bar).second > 40 ? 1 : 0;
  return differing >= 4;
}

// A Motion-JPEG camera with two buffers, jumping sequence numbers and frames of changing size;
// the loopback node is a camera only while something feeds it.
void mjpeg(Tally& tally) {
  Rig rig;
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId}, "unfed, the loopback node is no camera");
  Producer producer;
  if (!tally.expect(producer.ready(), "the producer sets MJPG 1280x720 on the output side")) return;
  pause(0.5);
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId, loopbackId},
              "fed, it is a camera after vivid's");
  if (!tally.equal(rig.call([&] { return rig.camera->open(loopbackId); }), std::optional<CaptureError>(), "opens")) return;
  const std::vector<DeviceFormat> mjpegOnly{{width, height, "MJPG", false, {{fps, fps}}}};
  tally.equal(rig.call([&] { return rig.camera->formats(); }), mjpegOnly, "one format: MJPG 1280x720 at 30 fps");
  if (!tally.expect(rig.call([&] { return rig.camera->setActiveFormat(0); }), "it is set")) return;
  tally.equal(rig.call([&] { return rig.camera->setFrameRate(fps); }), std::optional(FrameRateRange{fps, fps}),
              "its one rate is granted");
  rig.call([&] { return rig.camera->startRunning(); });
  tally.expect(rig.frames.waitFor(31, 10), "thirty-one frames arrive");
  tally.within(medianGap(rig.frames.items()), 0.8 / fps, 1.25 / fps, "about 30 frames a second (median gap)");

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
  const std::string counts = "decoded " + std::to_string(large) + " large and " + std::to_string(small) + " small";
  tally.equal(unreadable, std::int64_t{0}, "every frame decodes");
  tally.equal(wrong, std::int64_t{0}, "every decoded frame shows the bars");
  tally.expect(large >= 3, "large frames decoded", counts);
  tally.expect(small >= 3, "small frames with the large one's bytes after them decoded", counts);
}

// The frame source on the Motion-JPEG camera: its one format, its one rate, a check frame
// and a burst, every frame decoded.
void sourceMjpeg(Tally& tally) {
  Producer producer;
  if (!tally.expect(producer.ready(), "the producer runs")) return;
  pause(0.5);
  SourceRig rig(showsBars);
  tally.equal(rig.source->start(loopbackId), std::optional<std::string>(loopbackId), "starts the pinned camera");
  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  Inbox<std::vector<Measurements>> bursts;
  rig.source->collectFrames(5, 0.25, [&bursts](std::vector<Measurements> frames, double) { bursts.add(frames); });
  if (!tally.expect(bursts.waitFor(1, 5), "a burst of five frames a quarter second apart completes")) return;
  const auto analysed = rig.analysed.items();
  // The inspection is showsBars, which also asks for 1280x720 BGR.
  const auto showing = std::count_if(analysed.begin(), analysed.end(), [](const Analysed& a) { return a.inspected; });
  tally.equal(std::make_pair(analysed.size(), showing), std::make_pair(std::size_t{6}, std::ptrdiff_t{6}),
              "six frames analysed, every one 1280x720 BGR with the bars");
}

}  // namespace

std::vector<Scenario> loopbackScenarios() {
  return {{"mjpeg", mjpeg}, {"source-mjpeg", sourceMjpeg}};
}

}  // namespace kestrel::vm
