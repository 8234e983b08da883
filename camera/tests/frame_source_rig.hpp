#pragma once

// The frame source on a fake camera, shared by the frame source's tests and the garbage-camera test.

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "camera/frame_source.hpp"
#include "testing/fake_camera.hpp"
#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"
#include "testing/recording_log.hpp"

namespace kestrel::testing {

inline constexpr Instant noon = 1773057600;  // 2026-03-09 12:00:00 UTC

inline DeviceFormat format(int width, int height, const char* pixelFormat, bool yuv420,
                           std::vector<FrameRateRange> rates = {{1, 30}}) {
  return {width, height, pixelFormat, yuv420, std::move(rates)};
}

inline FakeCamera::Camera laptopCamera(std::vector<FrameRateRange> rates = {{1, 30}}) {
  return {"usb-laptop", {format(1280, 720, "NV12", true, std::move(rates))}, std::nullopt};
}

// The frame source in simulated time, with the test as its main thread. The fake analysis
// notes in `meanLuma` how many seconds after `origin` it ran, and fails on the calls the test
// names.
struct Rig {
  ManualClock clock;
  ManualExecutor main;
  RecordingLog log;
  FakeCamera* camera = nullptr;
  std::unique_ptr<FrameSource> source;

  Instant origin = 0;
  std::int64_t analyses = 0;
  std::set<std::int64_t> failingAnalyses;

  struct Check {
    Measurements measurements;
    Instant at = 0;
    std::shared_ptr<const FrameCopy> copy;
  };
  std::vector<Instant> arrivals;
  std::vector<Check> checks;
  std::vector<std::string> missing;
  std::int64_t connected = 0;
  std::vector<std::vector<Measurements>> bursts;
  bool burstAfterCheck = false;  // act like the controller: a burst of 3 after each check

  explicit Rig(std::vector<FakeCamera::Camera> cameras = {laptopCamera()}, Instant start = noon - 1)
      : clock(start), origin(start) {
    auto device = std::make_unique<FakeCamera>(clock, std::move(cameras));
    camera = device.get();
    source = std::make_unique<FrameSource>(
        std::move(device),
        [this](const Frame& frame) {
          ++analyses;
          if (failingAnalyses.count(analyses) != 0) throw std::runtime_error("no analysis");
          Measurements m;
          m.frameWidth = frame.width;
          m.frameHeight = frame.height;
          m.meanLuma = clock.now() - origin;
          return m;
        },
        clock, main, log);
    source->onFrameArrived = [this](Instant at) { arrivals.push_back(at); };
    source->onCheckFrame = [this](Measurements m, double, Instant at, std::shared_ptr<const FrameCopy> copy) {
      checks.push_back({std::move(m), at, std::move(copy)});
      if (burstAfterCheck) collect(3, 0.5);
    };
    source->onCameraMissing = [this](std::string reason) { missing.push_back(std::move(reason)); };
    source->onCameraConnected = [this] { ++connected; };
    clock.setSettle([this] { settle(); });
  }

  ~Rig() {
    clock.setSettle({});
    source.reset();
  }

  void settle() {
    do {
      source->flush();
    } while (main.runPending() > 0);
  }

  void collect(std::int64_t count, Seconds spacing) {
    origin = clock.now();
    source->collectFrames(count, spacing,
                          [this](std::vector<Measurements> frames, double) { bursts.push_back(std::move(frames)); });
  }

  // Starts the camera and lets it take its first check, at noon.
  void startThroughFirstCheck() {
    source->start(std::nullopt);
    advanceTo(noon);
  }

  // Lets the work already asked for run first, so that it sees the time it was asked at.
  void advanceTo(Instant instant) {
    settle();
    clock.advanceTo(instant);
  }

  std::vector<std::string> messages() const { return log.messages(); }
  bool logged(const std::string& message) const {
    const auto all = messages();
    return std::find(all.begin(), all.end(), message) != all.end();
  }
};

// When each frame of a burst was analysed, in seconds after the burst was asked for.
inline std::vector<double> times(const std::vector<Measurements>& frames) {
  std::vector<double> result;
  for (const auto& frame : frames) result.push_back(frame.meanLuma);
  return result;
}

}  // namespace kestrel::testing
