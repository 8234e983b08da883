#include "tests/v4l2vm/scenarios.hpp"

#include <algorithm>
#include <array>
#include <tuple>

#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/guest_support.hpp"

namespace kestrel::vm {

namespace {

std::optional<std::size_t> indexOf(const std::vector<DeviceFormat>& formats, const std::string& pixelFormat, int width,
                                   int height) {
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const auto& f = formats[i];
    if (f.pixelFormat == pixelFormat && f.width == width && f.height == height) return i;
  }
  return std::nullopt;
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

bool streamsOneFrame(Rig& rig, Tally& tally, const std::string& what) {
  rig.frames.clear();
  rig.call([&] { return rig.camera->startRunning(); });
  const bool arrived = rig.frames.waitFor(1, 5);
  rig.call([&] { return rig.camera->stopRunning(); });
  rig.queue.sync();
  return tally.expect(arrived, what + ": a frame arrives");
}

// Which nodes are cameras, what they are called, and opening one that is absent.
void discovery(Tally& tally) {
  tally.equal(entries("/dev/v4l/by-id").size(), 0U, "no /dev/v4l/by-id links without USB");
  tally.equal(entries("/dev/v4l/by-path"), std::vector<std::string>{"platform-vivid.0-video-index0"},
              "udev made the by-path link");
  Rig rig;
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{vividId},
              "the camera is named by card and bus");
  const auto missing = rig.call([&] { return rig.camera->open("usb-Other_Camera-video-index0"); });
  tally.expect(missing && missing->kind == CaptureError::Kind::missing, "opening an absent camera is `missing`");
}

// The formats the driver offers (the frame source's start checks the one chosen among them).
void formats(Tally& tally) {
  Rig rig;
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  // The webcam input's sizes, each with its frame rates from 1 up: one list of discrete
  // intervals, the larger the size the fewer and slower.
  const std::tuple<int, int, double> sizes[] = {{320, 180, 60},    {640, 360, 40},   {640, 480, 25},
                                                {1280, 720, 12.5}, {1920, 1080, 5}, {3840, 2160, 2}};
  std::vector<DeviceFormat> expected;
  for (const std::string pixelFormat : {"YUYV", "YU12", "NV12", "RGB3", "BGR3"}) {
    for (const auto& [width, height, maxRate] : sizes) {
      expected.push_back({width, height, pixelFormat, pixelFormat == "YU12" || pixelFormat == "NV12", {{1, maxRate}}});
    }
  }
  tally.equal(rig.call([&] { return rig.camera->formats(); }), expected,
              "every readable pixel format in the driver's order, at every size with its rates");
}

// Frame rates asked for, granted and kept by the driver; frames at the idle and the high rate,
// their layout, and the light going off.
void delivery(Tally& tally) {
  Rig rig;
  DriverProbe probe(vividNode);
  if (!tally.equal(rig.call([&] { return rig.camera->open(vividId); }), std::optional<CaptureError>(), "opens")) return;
  const auto index = indexOf(rig.call([&] { return rig.camera->formats(); }), "YU12", 1280, 720);
  if (!tally.expect(index.has_value() && rig.call([&] { return rig.camera->setActiveFormat(*index); }), "YU12 1280x720 is set")) return;
  tally.equal(probe.format(), std::optional<std::string>("YU12 1280x720"), "the driver captures YU12 1280x720");
  // Offered at this size: 1, 2, 4, 5, 10 and 12.5 frames a second; the last one asked is the idle rate.
  const std::pair<double, double> rates[] = {{10, 10}, {7, 10}, {12.5, 12.5}, {30, 12.5},
                                             {0.5, 1}, {4.5, 5},  {2, 2},       {1, 1}};
  for (const auto& [asked, granted] : rates) {
    const std::string name = "asking " + std::to_string(asked) + " fps";
    tally.equal(rig.call([&] { return rig.camera->setFrameRate(asked); }), std::optional<FrameRateRange>(FrameRateRange{granted, granted}),
                name + " grants");
    tally.equal(probe.frameRate(), std::optional<double>(granted), name + ": the driver keeps it");
  }
  tally.equal(probe.buffersHeld(), false, "no buffers held before the start");
  rig.decode = true;
  rig.call([&] { return rig.camera->startRunning(); });
  tally.equal(probe.buffersHeld(), true, "buffers held while streaming");
  tally.expect(rig.frames.waitFor(5, 10), "five frames at the idle rate");
  tally.within(medianGap(rig.frames.items()), 0.8, 1.25, "idle: a second between frames (median)");
  const auto frames = rig.frames.items();
  if (tally.expect(!frames.empty() && frames.back().pixels.has_value(), "a frame's pixels can be read")) {
    const Frame& f = *frames.back().pixels;
    tally.equal(std::make_tuple(f.width, f.height, f.format), std::make_tuple(1280, 720, PixelFormat::yu12),
                "1280x720 YU12 handed over as it is");
    std::vector<std::pair<int, std::size_t>> planes;
    for (const auto& plane : f.planes) planes.push_back({plane.stride, plane.bytes.size()});
    const decltype(planes) expected{{1280, 1280 * 720}, {640, 640 * 360}, {640, 640 * 360}};
    tally.equal(planes, expected, "plane strides and sizes");
  }
  rig.decode = false;
  // Right after a frame at the idle rate: the next one is due in a second at the old rate.
  const auto seen = rig.frames.items().size();
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
  tally.within(medianGap(rig.frames.items()), 0.08, 0.125, "high: a tenth of a second between frames (median)");
  rig.call([&] { return rig.camera->stopRunning(); });
  rig.queue.sync();
  const auto count = rig.frames.items().size();
  tally.equal(probe.buffersHeld(), false, "no buffers held once stopped: the light is off");
  pause(0.5);
  tally.equal(rig.frames.items().size(), count, "no frame after the stop");
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
    if (!reference) {
      bool matches = true;
      for (std::size_t bar = 0; bar < 8; ++bar) {
        for (std::size_t c = 0; c < 3; ++c) {
          const int value = colours[bar][c];
          matches = matches && (colourBars[bar][c] > 0 ? value >= 150 && value <= 200 : value <= 40);
        }
      }
      tally.expect(matches, pixelFormat + " shows the colour bars in blue, green, red order", Tally::show(colours));
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
  tally.equal(rig.notices.items(), std::vector<CaptureNotice>{{CaptureNoticeKind::disconnected, vividId}},
              "exactly one notice: disconnected, naming the camera");
  tally.equal(rig.call([&] { return rig.camera->isRunning(); }), false, "the stream ended");
  tally.equal(rig.call([&] { return rig.camera->cameras(); }), std::vector<std::string>{}, "no camera while unbound");
  rig.notices.clear();
  rig.call([&] { return rig.camera->startRunning(); });
  tally.expect(rig.notices.waitFor(1, 2), "starting the lost camera is noticed");
  tally.equal(rig.notices.items(), std::vector<CaptureNotice>{{CaptureNoticeKind::runtimeError, ""}},
              "starting the lost camera is a runtime error");
  rig.notices.clear();
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.notices.waitFor(1, 5), "a notice arrives");
  pause(1.0);
  tally.equal(rig.notices.items(), std::vector<CaptureNotice>{{CaptureNoticeKind::connected, ""}},
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
      {"discovery", discovery}, {"formats", formats},          {"delivery", delivery},
      {"pixel-layouts", pixelLayouts}, {"unplug", unplug},
  };
}

}  // namespace kestrel::vm
