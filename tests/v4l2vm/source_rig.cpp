#include "tests/v4l2vm/source_rig.hpp"

#include <algorithm>
#include <chrono>
#include <thread>

#include "camera/v4l2_camera.hpp"

namespace kestrel::vm {

SourceRig::SourceRig(std::function<bool(const Frame&)> inspectFrame) : inspect(std::move(inspectFrame)) {
  const auto analysis = [this](const Frame& frame) {
    analysed.add({clock.now(), frame.width, frame.height, frame.format, inspect(frame)});
    Measurements measurements;
    measurements.frameWidth = frame.width;
    measurements.frameHeight = frame.height;
    return measurements;
  };
  source = std::make_unique<FrameSource>(std::make_unique<V4l2Camera>(clock, log), analysis, clock, main, log);
  source->onCheckFrame = [this](Measurements measurements, double, Instant at, std::shared_ptr<const FrameCopy>) {
    checks.add({std::move(measurements), at});
  };
  source->onCameraMissing = [this](std::string reason) { missing.add(std::move(reason)); };
  source->onCameraConnected = [this] { connected.add(clock.now()); };
  source->onFrameArrived = [this](Instant at) { arrivals.add(at); };
}

SourceRig::~SourceRig() {
  source->stop();
  source.reset();
  main.sync();
}

bool SourceRig::logged(const std::string& line) const {
  const auto messages = log.messages();
  return std::find(messages.begin(), messages.end(), line) != messages.end();
}

bool SourceRig::awaitLogged(const std::string& line, double seconds) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!logged(line)) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::vector<std::string> SourceRig::loggedStarting(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const auto& message : log.messages()) {
    if (message.rfind(prefix, 0) == 0) lines.push_back(message);
  }
  return lines;
}

}  // namespace kestrel::vm
