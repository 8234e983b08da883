#include "tests/v4l2vm/guest_support.hpp"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

#include "camera/v4l2_formats.hpp"
#include "camera/v4l2_io.hpp"

namespace kestrel::vm {

bool Tally::expect(bool ok, const std::string& what, const std::string& detail) {
  if (ok) {
    std::cout << "ok " << scenario_ << ": " << what << std::endl;
    return true;
  }
  ++failures_;
  std::cout << "FAIL " << scenario_ << ": " << what << (detail.empty() ? "" : ": " + detail) << std::endl;
  return false;
}

bool Tally::within(double actual, double low, double high, const std::string& what) {
  std::ostringstream detail;
  detail << "got " << actual << ", expected " << low << " to " << high;
  return expect(actual >= low && actual <= high, what, detail.str());
}

QueueExecutor::QueueExecutor()
    : queue_([](const std::string& error) { std::cout << "FAIL queue task threw: " << error << std::endl; }) {}

double medianGap(const std::vector<SeenFrame>& frames) {
  if (frames.size() < 2) return 0;
  std::vector<double> gaps;
  for (std::size_t i = 1; i < frames.size(); ++i) gaps.push_back(frames[i].arrival - frames[i - 1].arrival);
  std::sort(gaps.begin(), gaps.end());
  const std::size_t middle = gaps.size() / 2;
  return gaps.size() % 2 == 1 ? gaps[middle] : (gaps[middle - 1] + gaps[middle]) / 2;
}

Rig::Rig() : camera(std::make_unique<V4l2Camera>(clock, log)) {
  camera->setHandlers(
      queue,
      [this](const CapturedFrame& frame) { frames.add({frame.arrival(), decode ? frame.pixels() : std::nullopt}); },
      [this](const CaptureNotice& notice) { notices.add(notice); });
}

Rig::~Rig() {
  queue.call([this] { camera.reset(); });
}

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

DriverProbe::DriverProbe(const std::string& node) : fd_(::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {}

DriverProbe::~DriverProbe() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<double> DriverProbe::frameRate() const {
  v4l2_streamparm parameters{};
  parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (xioctl(fd_, VIDIOC_G_PARM, &parameters) < 0) return std::nullopt;
  const auto& interval = parameters.parm.capture.timeperframe;
  if (interval.numerator == 0) return std::nullopt;
  return static_cast<double>(interval.denominator) / interval.numerator;
}

std::optional<std::string> DriverProbe::format() const {
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (xioctl(fd_, VIDIOC_G_FMT, &format) < 0) return std::nullopt;
  return V4l2Formats::fourccText(format.fmt.pix.pixelformat) + " " + std::to_string(format.fmt.pix.width) + "x" +
         std::to_string(format.fmt.pix.height);
}

bool DriverProbe::buffersHeld() const {
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (xioctl(fd_, VIDIOC_G_FMT, &format) < 0) return false;
  return xioctl(fd_, VIDIOC_S_FMT, &format) < 0 && errno == EBUSY;
}

int DriverProbe::setControl(const std::string& name, std::int32_t value) const {
  v4l2_queryctrl query{};
  query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
  while (xioctl(fd_, VIDIOC_QUERYCTRL, &query) == 0) {
    const std::string found(reinterpret_cast<const char*>(query.name), strnlen(reinterpret_cast<const char*>(query.name), sizeof query.name));
    if (found == name) {
      v4l2_control control{};
      control.id = query.id;
      control.value = value;
      return xioctl(fd_, VIDIOC_S_CTRL, &control) == 0 ? 0 : errno;
    }
    query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
  }
  return ENOENT;
}

int writeFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  const auto written = ::write(fd, text.data(), text.size());
  const int error = written < 0 ? errno : 0;
  ::close(fd);
  return error;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

SourceRig::SourceRig(std::function<bool(const Frame&)> inspectFrame) : inspect(std::move(inspectFrame)) {
  const auto analysis = [this](const Frame& frame) {
    analysed.add({clock.now(), frame.width, frame.height, frame.format, inspect(frame)});
    return Measurements{};
  };
  source = std::make_unique<FrameSource>(std::make_unique<V4l2Camera>(clock, log), analysis, clock, main, log);
  source->onCheckFrame = [this](Measurements, double, Instant at, std::shared_ptr<const FrameCopy>) { checks.add(at); };
  source->onCameraMissing = [this](std::string reason) { missing.add(std::move(reason)); };
  source->onCameraConnected = [this] { connected.add(clock.now()); };
  source->onFrameArrived = [this](Instant at) { arrivals.add(at); };
}

SourceRig::~SourceRig() {
  source->stop();
  source.reset();
  main.sync();
}

std::size_t SourceRig::countLogged(const std::string& prefix) const {
  const auto messages = log.messages();
  return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(),
                                                [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

}  // namespace kestrel::vm
