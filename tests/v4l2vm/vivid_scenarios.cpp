#include "tests/v4l2vm/vivid_scenarios.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <memory>

#include "testing/recording_log.hpp"
#include "platform/system_clock.hpp"
#include "camera/v4l2_camera.hpp"
#include "core/launch/camera_selection.hpp"
#include "core/launch/capture_format.hpp"
#include "core/launch/frame_rate.hpp"
#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/guest_support.hpp"

namespace kestrel::vm {

namespace {

// The webcam input's sizes, each with its frame-rate range: one list of discrete intervals,
// the larger the size the fewer and slower.
struct SizeRates {
  int width;
  int height;
  FrameRateRange rates;
};
constexpr std::array webcamSizes{
    SizeRates{320, 180, {1, 60}},   SizeRates{640, 360, {1, 40}},   SizeRates{640, 480, {1, 25}},
    SizeRates{1280, 720, {1, 12.5}}, SizeRates{1920, 1080, {1, 5}}, SizeRates{3840, 2160, {1, 2}},
};

std::optional<std::size_t> indexOf(const std::vector<DeviceFormat>& formats, const std::string& pixelFormat, int width,
                                   int height) {
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const auto& f = formats[i];
    if (f.pixelFormat == pixelFormat && f.width == width && f.height == height) return i;
  }
  return std::nullopt;
}

std::vector<std::string> pixelFormatsInOrder(const std::vector<DeviceFormat>& formats) {
  std::vector<std::string> names;
  for (const auto& f : formats) {
    if (std::find(names.begin(), names.end(), f.pixelFormat) == names.end()) names.push_back(f.pixelFormat);
  }
  return names;
}

std::string kindText(CaptureNoticeKind kind) {
  switch (kind) {
    case CaptureNoticeKind::connected:
      return "connected";
    case CaptureNoticeKind::disconnected:
      return "disconnected";
    case CaptureNoticeKind::runtimeError:
      return "runtime_error";
    case CaptureNoticeKind::stopped:
      return "stopped";
  }
  return "?";
}

std::vector<std::string> noticeTexts(const std::vector<CaptureNotice>& notices) {
  std::vector<std::string> texts;
  for (const auto& notice : notices) texts.push_back(kindText(notice.kind) + " " + notice.cameraId);
  return texts;
}

// The centre of each of the eight bars of the 75% colour bar pattern, halfway down, as BGR.
std::vector<std::array<int, 3>> barColours(const Frame& frame) {
  const cv::Mat bgr = toBgr(frame);
  std::vector<std::array<int, 3>> colours;
  for (int bar = 0; bar < 8; ++bar) {
    const auto pixel = bgr.at<cv::Vec3b>(bgr.rows / 2, (2 * bar + 1) * bgr.cols / 16);
    colours.push_back({pixel[0], pixel[1], pixel[2]});
  }
  return colours;
}

std::string show(const std::vector<std::array<int, 3>>& colours) {
  std::string text;
  for (const auto& c : colours) {
    text += "(" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + ")";
  }
  return text;
}

bool streamsOneFrame(Rig& rig, Tally& tally, const std::string& what) {
  rig.frames.clear();
  rig.call([&] { return rig.camera->startRunning(); });
  const bool arrived = rig.frames.waitFor(1, 5);
  rig.call([&] { return rig.camera->stopRunning(); });
  rig.queue.sync();
  return tally.expect(arrived, what + ": a frame arrives");
}

// Which nodes are cameras, what they are called, and how a camera is chosen among them.
void discovery(Tally& tally) {
  tally.equal(entries("/dev/v4l/by-id").size(), 0U, "no /dev/v4l/by-id links without USB");
  tally.equal(entries("/dev/v4l/by-path"), std::vector<std::string>{"platform-vivid.0-video-index0"},
              "udev made the by-path link");
  Rig rig;
  const auto ids = rig.call([&] { return rig.camera->cameras(); });
  tally.equal(ids, std::vector<std::string>{vividId}, "the camera is named by card and bus");
  tally.equal(rig.call([&] { return rig.camera->permission(); }), CameraPermission::authorized, "permission");
  tally.equal(CameraSelection::choose(ids, std::nullopt), std::optional<std::string>(vividId), "first camera chosen");
  tally.equal(CameraSelection::choose(ids, std::string("usb-Other_Camera-video-index0")), std::optional<std::string>(),
              "an absent pinned camera chooses none");
  const auto missing = rig.call([&] { return rig.camera->open("usb-Other_Camera-video-index0"); });
  tally.expect(missing && missing->kind == CaptureError::Kind::missing, "opening an absent camera is `missing`");
  tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "the camera opens");
}

// The formats the driver offers, and the capture format chosen among them.
void formats(Tally& tally) {
  Rig rig;
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  const auto offered = rig.call([&] { return rig.camera->formats(); });
  tally.equal(pixelFormatsInOrder(offered), std::vector<std::string>{"YUYV", "YU12", "NV12", "RGB3", "BGR3"},
              "the readable pixel formats, in the driver's order");
  tally.equal(offered.size(), 5 * webcamSizes.size(), "every readable format at every size");
  for (const auto& size : webcamSizes) {
    for (const std::string pixelFormat : {"YUYV", "YU12", "NV12", "RGB3", "BGR3"}) {
      const auto index = indexOf(offered, pixelFormat, size.width, size.height);
      const std::string name = pixelFormat + " " + std::to_string(size.width) + "x" + std::to_string(size.height);
      if (!tally.expect(index.has_value(), name + " offered")) continue;
      tally.equal(offered[*index].frameRates, std::vector<FrameRateRange>{size.rates}, name + " rates");
      tally.equal(offered[*index].isYUV420, pixelFormat == "YU12" || pixelFormat == "NV12", name + " is 4:2:0");
    }
  }
  std::vector<CaptureFormat::Candidate> candidates;
  for (const auto& f : offered) candidates.push_back({f.width, f.height, f.isYUV420});
  const auto chosen = CaptureFormat::choose(candidates);
  if (!tally.expect(chosen.has_value(), "a capture format is chosen")) return;
  tally.equal(offered[*chosen].pixelFormat + " " + std::to_string(offered[*chosen].width) + "x" +
                  std::to_string(offered[*chosen].height),
              std::string("YU12 1280x720"), "the first 4:2:0 format at 1280x720 is chosen");
}

// Frame rates asked for, granted and kept by the driver.
void frameRates(Tally& tally) {
  Rig rig;
  DriverProbe probe(vividNode);
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  const auto offered = rig.call([&] { return rig.camera->formats(); });
  const auto index = indexOf(offered, "YU12", 1280, 720);
  if (!tally.expect(index.has_value() && rig.call([&] { return rig.camera->setActiveFormat(*index); }), "YU12 1280x720 is set")) return;
  tally.equal(rig.call([&] { return rig.camera->activeFormat(); }), std::optional<DeviceFormat>(offered[*index]), "active format");
  tally.equal(probe.format(), std::optional<std::string>("YU12 1280x720"), "the driver captures YU12 1280x720");
  const auto& ranges = offered[*index].frameRates;
  tally.equal(FrameRate::choose(ranges, false), std::optional<double>(1), "idle rate");
  tally.equal(FrameRate::choose(ranges, true), std::optional<double>(10), "high rate");
  struct Case {
    double asked;
    double granted;
  };
  // Offered at this size: 1, 2, 4, 5, 10 and 12.5 frames a second.
  for (const auto [asked, granted] : {Case{1, 1}, Case{10, 10}, Case{7, 10}, Case{12.5, 12.5}, Case{30, 12.5},
                                      Case{0.5, 1}, Case{4.5, 5}, Case{2, 2}}) {
    const std::string name = "asking " + std::to_string(asked) + " fps";
    tally.equal(rig.call([&] { return rig.camera->setFrameRate(asked); }), std::optional<FrameRateRange>(FrameRateRange{granted, granted}),
                name + " grants");
    tally.equal(probe.frameRate(), std::optional<double>(granted), name + ": the driver keeps it");
  }
}

// Frames at the idle and the high rate, their layout, and the light going off.
void delivery(Tally& tally) {
  Rig rig;
  DriverProbe probe(vividNode);
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  const auto index = indexOf(rig.call([&] { return rig.camera->formats(); }), "YU12", 1280, 720);
  if (!tally.expect(index.has_value() && rig.call([&] { return rig.camera->setActiveFormat(*index); }), "YU12 1280x720 is set")) return;
  tally.equal(probe.buffersHeld(), false, "no buffers held before the start");
  rig.call([&] { return rig.camera->setFrameRate(1); });
  rig.decode = true;
  rig.call([&] { return rig.camera->startRunning(); });
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), true, "running");
  tally.equal(probe.buffersHeld(), true, "buffers held while streaming");
  tally.expect(rig.frames.waitFor(5, 10), "five frames at the idle rate");
  const double idleGap = medianGap(rig.arrivals());
  tally.within(idleGap, 0.8, 1.25, "idle: a second between frames (median)");
  const auto frames = rig.frames.items();
  if (tally.expect(!frames.empty() && frames.back().pixels.has_value(), "a frame's pixels can be read")) {
    const Frame& f = *frames.back().pixels;
    tally.equal(std::make_tuple(f.width, f.height, f.format), std::make_tuple(1280, 720, PixelFormat::yu12),
                "1280x720 YU12 handed over as it is");
    std::vector<int> strides;
    std::vector<std::size_t> sizes;
    for (const auto& plane : f.planes) {
      strides.push_back(plane.stride);
      sizes.push_back(plane.bytes.size());
    }
    tally.equal(strides, std::vector<int>{1280, 640, 640}, "plane strides");
    tally.equal(sizes, std::vector<std::size_t>{1280 * 720, 640 * 360, 640 * 360}, "plane sizes");
  }
  rig.decode = false;
  // Right after a frame at the idle rate: the next one is due in a second at the old rate.
  const auto seen = rig.frames.size();
  rig.frames.waitFor(seen + 1, 2);
  const Instant raised = rig.clock.now();
  tally.equal(rig.call([&] { return rig.camera->setFrameRate(10); }), std::optional<FrameRateRange>(FrameRateRange{10, 10}),
              "raised to 10 fps while streaming");
  if (tally.expect(rig.frames.waitFor(seen + 2, 2), "a frame after the raise")) {
    tally.within(rig.frames.items()[seen + 1].arrival - raised, 0, 0.1 + 0.3,
                 "the raised rate takes effect at once, not after the frame in flight");
  }
  rig.frames.clear();
  tally.expect(rig.frames.waitFor(21, 6), "twenty-one frames at the high rate");
  const double highGap = medianGap(rig.arrivals());
  tally.within(highGap, 0.08, 0.125, "high: a tenth of a second between frames (median)");
  tally.note("median gaps: idle " + std::to_string(idleGap) + " s, high " + std::to_string(highGap) + " s");
  rig.call([&] { return rig.camera->stopRunning(); });
  rig.queue.sync();
  const auto count = rig.frames.size();
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), false, "stopped");
  tally.equal(probe.buffersHeld(), false, "no buffers held once stopped: the light is off");
  pause(0.5);
  tally.equal(rig.frames.size(), count, "no frame after the stop");
}

// Every readable layout of the same test pattern gives the same colours; the RGB formats
// give them without any conversion and are the reference.
void pixelLayouts(Tally& tally) {
  Rig rig;
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  rig.decode = true;
  const auto offered = rig.call([&] { return rig.camera->formats(); });
  std::optional<std::vector<std::array<int, 3>>> reference;
  for (const std::string pixelFormat : {"RGB3", "BGR3", "YUYV", "YU12", "NV12"}) {
    const auto index = indexOf(offered, pixelFormat, 640, 360);
    if (!tally.expect(index.has_value() && rig.call([&] { return rig.camera->setActiveFormat(*index); }), pixelFormat + " 640x360 is set")) {
      continue;
    }
    if (!streamsOneFrame(rig, tally, pixelFormat)) continue;
    const auto pixels = rig.frames.items().front().pixels;
    if (!tally.expect(pixels.has_value(), pixelFormat + ": pixels can be read")) continue;
    const auto colours = barColours(*pixels);
    tally.note(pixelFormat + " bars " + show(colours));
    if (!reference) {
      // White, yellow, cyan, green, magenta, red, blue, black at three quarters strength.
      constexpr std::array<std::array<bool, 3>, 8> lit{{{true, true, true},
                                                        {false, true, true},
                                                        {true, true, false},
                                                        {false, true, false},
                                                        {true, false, true},
                                                        {false, false, true},
                                                        {true, false, false},
                                                        {false, false, false}}};
      bool matches = true;
      for (std::size_t bar = 0; bar < 8; ++bar) {
        for (std::size_t c = 0; c < 3; ++c) {
          const int value = colours[bar][c];
          matches = matches && (lit[bar][c] ? value >= 150 && value <= 200 : value <= 40);
        }
      }
      tally.expect(matches, pixelFormat + " shows the colour bars in blue, green, red order", show(colours));
      reference = colours;
      continue;
    }
    int worst = 0;
    for (std::size_t bar = 0; bar < 8; ++bar) {
      for (std::size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(colours[bar][c] - (*reference)[bar][c]));
    }
    tally.within(worst, 0, 8, pixelFormat + " matches the RGB colours (largest difference)");
  }
  // The preset: 1280x720 in the camera's first readable format, handed over as BGR.
  rig.call([&] { return rig.camera->usePreset(); });
  tally.equal(rig.call([&] { return rig.camera->activeFormat(); }), std::optional<DeviceFormat>(offered[*indexOf(offered, "YUYV", 1280, 720)]),
              "the preset is YUYV 1280x720");
  if (streamsOneFrame(rig, tally, "preset")) {
    const auto pixels = rig.frames.items().front().pixels;
    tally.expect(pixels && pixels->width == 1280 && pixels->height == 720 && pixels->format == PixelFormat::bgr,
                 "preset frames come as 1280x720 BGR");
  }
}

void streamAtHighRate(Rig& rig) {
  const auto index = indexOf(rig.call([&] { return rig.camera->formats(); }), "YU12", 1280, 720);
  if (index) rig.call([&] { return rig.camera->setActiveFormat(*index); });
  rig.call([&] { return rig.camera->setFrameRate(10); });
  rig.call([&] { return rig.camera->startRunning(); });
}

// The driver's "Disconnect" control while streaming: the stream fails once, and only
// unbinding and binding the device brings it back.
void disconnectControl(Tally& tally) {
  Rig rig;
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  streamAtHighRate(rig);
  if (!tally.expect(rig.frames.waitFor(3, 5), "streaming")) return;
  {
    DriverProbe probe(vividNode);
    tally.equal(probe.setControl("Disconnect", 0), 0, "the Disconnect control is pressed");
  }
  tally.expect(rig.notices.waitFor(1, 5), "a notice arrives");
  pause(1.5);
  const auto notices = rig.notices.items();
  tally.equal(notices.size(), 1U, "exactly one notice");
  if (!notices.empty()) {
    const auto kind = notices.front().kind;
    tally.expect(kind == CaptureNoticeKind::disconnected || kind == CaptureNoticeKind::runtimeError,
                 "the notice says disconnected or runtime error", kindText(kind));
    tally.note("notices: " + noticeTexts(notices).front());
  }
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), false, "the stream ended");
  const auto frameCount = rig.frames.size();
  pause(0.5);
  tally.equal(rig.frames.size(), frameCount, "no frames after the failure");
  rig.notices.clear();
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind");
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.notices.waitFor(1, 5), "bind is noticed");
  pause(1.0);
  tally.note("after unbind and bind: " + std::to_string(rig.notices.size()) + " notices");
  rig.call([&] { return rig.camera->stopRunning(); });
}

// Unbinding the device while streaming is an unplug: one notice naming the camera; binding
// it again is a plug, and the camera streams again under the same identifier.
void unplug(Tally& tally) {
  Rig rig;
  const auto ids = rig.call([&] { return rig.camera->cameras(); });
  if (!tally.equal(ids, std::vector<std::string>{vividId}, "the camera is back")) return;
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  streamAtHighRate(rig);
  if (!tally.expect(rig.frames.waitFor(3, 5), "streaming")) return;
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind");
  tally.expect(rig.notices.waitFor(1, 5), "a notice arrives");
  pause(1.5);
  tally.equal(noticeTexts(rig.notices.items()), std::vector<std::string>{"disconnected " + vividId},
              "exactly one notice: disconnected, naming the camera");
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), false, "the stream ended");
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{}, "no camera while unbound");
  rig.notices.clear();
  rig.call([&] { return rig.camera->startRunning(); });
  tally.expect(rig.notices.waitFor(1, 2), "starting the lost camera is noticed");
  tally.equal(noticeTexts(rig.notices.items()), std::vector<std::string>{"runtime_error "},
              "starting the lost camera is a runtime error");
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), false, "the lost camera does not run");
  rig.notices.clear();
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.notices.waitFor(1, 5), "a notice arrives");
  pause(1.0);
  tally.equal(noticeTexts(rig.notices.items()), std::vector<std::string>{"connected "},
              "exactly one notice: connected (no by-id link to name it)");
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId}, "the same identifier after the plug");
  tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens again");
  rig.frames.clear();
  streamAtHighRate(rig);
  tally.expect(rig.frames.waitFor(3, 5), "streams again");
}

}  // namespace

std::vector<Scenario> vividScenarios() {
  return {
      {"discovery", discovery},       {"formats", formats},
      {"frame-rates", frameRates},    {"delivery", delivery},
      {"pixel-layouts", pixelLayouts}, {"disconnect-control", disconnectControl},
      {"unplug", unplug},
  };
}

}  // namespace kestrel::vm
