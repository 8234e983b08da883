#include "camera/v4l2_camera.hpp"

#include <fcntl.h>
#include <libudev.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "camera/raw_frame.hpp"
#include "camera/v4l2_devices.hpp"
#include "camera/v4l2_io.hpp"

namespace kestrel {

namespace {

constexpr std::uint32_t bufferCount = 4;
constexpr int presetWidth = 1280;
constexpr int presetHeight = 720;

std::string text(const std::uint8_t* bytes, std::size_t size) {
  const auto* chars = reinterpret_cast<const char*>(bytes);
  return {chars, strnlen(chars, size)};
}

std::string reason(int error) { return std::error_code(error, std::generic_category()).message(); }

void signal(int eventFd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(eventFd, &one, sizeof one);
}

std::vector<std::pair<std::string, std::string>> byIdLinks() {
  std::vector<std::pair<std::string, std::string>> links;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/v4l/by-id", error)) {
    std::error_code resolveError;
    const auto target = std::filesystem::canonical(entry.path(), resolveError);
    if (!resolveError) links.emplace_back(entry.path().filename().string(), target.string());
  }
  return links;
}

std::vector<std::string> videoNodePaths() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    names.push_back(entry.path().filename().string());
  }
  std::vector<std::string> paths;
  for (const auto& name : V4l2Devices::videoNodes(names)) paths.push_back("/dev/" + name);
  return paths;
}

// A frame of a mapped buffer, read only while the frame handler runs.
class MappedFrame final : public CapturedFrame {
 public:
  MappedFrame(Instant at, RawFrame raw, bool keepYUV420) : at_(at), raw_(raw), keepYUV420_(keepYUV420) {}
  Instant arrival() const override { return at_; }
  std::optional<Frame> pixels() const override { return frameFromRaw(raw_, keepYUV420_); }

 private:
  Instant at_;
  RawFrame raw_;
  bool keepYUV420_;
};

}  // namespace

V4l2Camera::V4l2Camera(Clock& clock, SystemLog& log) : clock_(clock), log_(log) {
  auto* udev = udev_new();
  auto* monitor = udev != nullptr ? udev_monitor_new_from_netlink(udev, "udev") : nullptr;
  if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "video4linux", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    log_.notice("camera hot-plug unavailable: no udev monitor");
    if (monitor != nullptr) udev_monitor_unref(monitor);
    if (udev != nullptr) udev_unref(udev);
    return;
  }
  udev_ = udev;
  monitor_ = monitor;
  hotplugWake_ = eventfd(0, EFD_CLOEXEC);
  hotplug_ = std::thread([this] { watchHotplug(); });
}

V4l2Camera::~V4l2Camera() {
  if (hotplug_.joinable()) {
    signal(hotplugWake_);
    hotplug_.join();
  }
  if (hotplugWake_ >= 0) ::close(hotplugWake_);
  if (monitor_ != nullptr) udev_monitor_unref(static_cast<udev_monitor*>(monitor_));
  if (udev_ != nullptr) udev_unref(static_cast<udev*>(udev_));
  stopStream();
  if (fd_ >= 0) ::close(fd_);
}

void V4l2Camera::setHandlers(Executor& queue, FrameHandler frames, NoticeHandler notices) {
  const std::lock_guard lock(nodesMutex_);
  queue_ = &queue;
  frames_ = std::move(frames);
  notices_ = std::move(notices);
}

std::vector<V4l2Camera::Node> V4l2Camera::discover() {
  const auto links = byIdLinks();
  std::vector<std::string> paths;
  std::vector<std::string> ids;
  for (const auto& path : videoNodePaths()) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    v4l2_capability caps{};
    const bool queried = xioctl(fd, VIDIOC_QUERYCAP, &caps) == 0;
    ::close(fd);
    if (!queried) continue;
    const std::uint32_t abilities = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? caps.device_caps : caps.capabilities;
    if ((abilities & V4L2_CAP_VIDEO_CAPTURE) == 0 || (abilities & V4L2_CAP_STREAMING) == 0) continue;
    paths.push_back(path);
    ids.push_back(V4l2Devices::identifier(V4l2Devices::linksTo(links, path), text(caps.card, sizeof caps.card),
                                          text(caps.bus_info, sizeof caps.bus_info)));
  }
  ids = V4l2Devices::unique(std::move(ids));
  std::vector<Node> nodes;
  for (std::size_t i = 0; i < paths.size(); ++i) nodes.push_back({paths[i], ids[i]});
  const std::lock_guard lock(nodesMutex_);
  nodes_ = nodes;
  return nodes;
}

std::vector<std::string> V4l2Camera::cameras() {
  std::vector<std::string> ids;
  for (const auto& node : discover()) ids.push_back(node.id);
  return ids;
}

CameraPermission V4l2Camera::permission() {
  std::vector<int> results;
  for (const auto& path : videoNodePaths()) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    results.push_back(fd < 0 ? errno : 0);
    if (fd >= 0) ::close(fd);
  }
  return V4l2Devices::permission(results);
}

std::vector<V4l2Camera::Offered> V4l2Camera::enumerate(int fd) const {
  std::vector<Offered> offered;
  const auto add = [&](std::uint32_t fourcc, FrameSize size) {
    FrameIntervals intervals;
    v4l2_frmivalenum interval{};
    interval.pixel_format = fourcc;
    interval.width = static_cast<std::uint32_t>(size.width);
    interval.height = static_cast<std::uint32_t>(size.height);
    for (interval.index = 0; xioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) == 0; ++interval.index) {
      if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
        intervals.discrete.push_back({interval.discrete.numerator, interval.discrete.denominator});
        continue;
      }
      intervals.shortest = {interval.stepwise.min.numerator, interval.stepwise.min.denominator};
      intervals.longest = {interval.stepwise.max.numerator, interval.stepwise.max.denominator};
      break;
    }
    offered.push_back({{size.width, size.height, V4l2Formats::fourccText(fourcc), V4l2Formats::isYUV420(fourcc),
                        V4l2Formats::rateRanges(intervals)},
                       fourcc,
                       intervals});
  };
  v4l2_fmtdesc description{};
  description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  for (description.index = 0; xioctl(fd, VIDIOC_ENUM_FMT, &description) == 0; ++description.index) {
    const std::uint32_t fourcc = description.pixelformat;
    if (!V4l2Formats::handled(fourcc)) continue;
    v4l2_frmsizeenum size{};
    size.pixel_format = fourcc;
    for (size.index = 0; xioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
      if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
        add(fourcc, {static_cast<int>(size.discrete.width), static_cast<int>(size.discrete.height)});
        continue;
      }
      const auto& s = size.stepwise;
      for (const auto frameSize : V4l2Formats::stepwiseSizes(
               {static_cast<int>(s.min_width), static_cast<int>(s.min_height)},
               {static_cast<int>(s.max_width), static_cast<int>(s.max_height)},
               {static_cast<int>(s.step_width), static_cast<int>(s.step_height)})) {
        add(fourcc, frameSize);
      }
      break;
    }
  }
  return offered;
}

std::optional<CaptureError> V4l2Camera::open(const std::string& cameraId) {
  std::optional<Node> found;
  for (const auto& node : discover()) {
    if (node.id == cameraId) found = node;
  }
  if (!found) return CaptureError{CaptureError::Kind::missing, "no camera " + cameraId};
  const int fd = ::open(found->path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return CaptureError{V4l2Devices::errorKind(error), "cannot open " + found->path + ": " + reason(error)};
  }
  stopStream();
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  offered_ = enumerate(fd);
  active_.reset();
  presetFormat_.reset();
  const std::lock_guard lock(nodesMutex_);
  open_ = found;
  losses_.opened(found->path);
  return std::nullopt;
}

std::vector<DeviceFormat> V4l2Camera::formats() const {
  std::vector<DeviceFormat> formats;
  for (const auto& offered : offered_) formats.push_back(offered.format);
  return formats;
}

bool V4l2Camera::configure(std::uint32_t fourcc, int width, int height) {
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  format.fmt.pix.pixelformat = fourcc;
  format.fmt.pix.width = static_cast<std::uint32_t>(width);
  format.fmt.pix.height = static_cast<std::uint32_t>(height);
  format.fmt.pix.field = V4L2_FIELD_NONE;
  if (xioctl(fd_, VIDIOC_S_FMT, &format) < 0) return false;
  fourcc_ = format.fmt.pix.pixelformat;
  width_ = static_cast<int>(format.fmt.pix.width);
  height_ = static_cast<int>(format.fmt.pix.height);
  bytesPerLine_ = static_cast<int>(format.fmt.pix.bytesperline);
  return true;
}

void V4l2Camera::readFormat() {
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (xioctl(fd_, VIDIOC_G_FMT, &format) < 0) return;
  fourcc_ = format.fmt.pix.pixelformat;
  width_ = static_cast<int>(format.fmt.pix.width);
  height_ = static_cast<int>(format.fmt.pix.height);
  bytesPerLine_ = static_cast<int>(format.fmt.pix.bytesperline);
}

bool V4l2Camera::setActiveFormat(std::size_t index) {
  if (fd_ < 0 || streaming_ || index >= offered_.size()) return false;
  const auto& wanted = offered_[index];
  if (!configure(wanted.fourcc, wanted.format.width, wanted.format.height)) return false;
  if (fourcc_ != wanted.fourcc || width_ != wanted.format.width || height_ != wanted.format.height) return false;
  active_ = index;
  presetFormat_.reset();
  keepYUV420_ = true;
  return true;
}

void V4l2Camera::usePreset() {
  if (fd_ < 0 || streaming_) return;
  std::vector<std::uint32_t> fourccs;
  for (const auto& offered : offered_) fourccs.push_back(offered.fourcc);
  const auto fourcc = V4l2Formats::presetFourcc(fourccs);
  if (!fourcc || !configure(*fourcc, presetWidth, presetHeight)) return;
  keepYUV420_ = false;
  active_.reset();
  for (std::size_t i = 0; i < offered_.size(); ++i) {
    const auto& f = offered_[i];
    if (f.fourcc == fourcc_ && f.format.width == width_ && f.format.height == height_) active_ = i;
  }
  if (!active_) {
    presetFormat_ = DeviceFormat{width_, height_, V4l2Formats::fourccText(fourcc_), V4l2Formats::isYUV420(fourcc_), {}};
  }
}

std::optional<DeviceFormat> V4l2Camera::activeFormat() const {
  if (active_) return offered_[*active_].format;
  return presetFormat_;
}

std::optional<FrameRateRange> V4l2Camera::setFrameRate(double rate) {
  if (fd_ < 0 || !active_) return std::nullopt;
  const Fraction interval = V4l2Formats::intervalFor(rate, offered_[*active_].intervals);
  v4l2_streamparm parameters{};
  parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  std::optional<Fraction> current;
  if (streaming_ && xioctl(fd_, VIDIOC_G_PARM, &parameters) == 0) {
    current = Fraction{parameters.parm.capture.timeperframe.numerator, parameters.parm.capture.timeperframe.denominator};
  }
  parameters = {};
  parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  parameters.parm.capture.timeperframe = {interval.numerator, interval.denominator};
  int result = xioctl(fd_, VIDIOC_S_PARM, &parameters);
  const auto& accepted = parameters.parm.capture.timeperframe;
  if (result < 0 && errno == EBUSY && streaming_) {
    // Some drivers (UVC among them) change the rate only between streams.
    stopStream();
    result = xioctl(fd_, VIDIOC_S_PARM, &parameters);
    if (!startStream()) notify({CaptureNoticeKind::runtimeError, {}});
  } else if (result == 0 && streaming_ &&
             V4l2Formats::restartForRate(current, {accepted.numerator, accepted.denominator})) {
    stopStream();
    if (!startStream()) notify({CaptureNoticeKind::runtimeError, {}});
  }
  if (result < 0) return std::nullopt;
  const double actual = V4l2Formats::rate({accepted.numerator, accepted.denominator});
  if (actual <= 0) return std::nullopt;
  return FrameRateRange{actual, actual};
}

void V4l2Camera::startRunning() {
  if (fd_ < 0 || streaming_) return;
  if (!startStream()) notify({CaptureNoticeKind::runtimeError, {}});
}

void V4l2Camera::stopRunning() { stopStream(); }

bool V4l2Camera::isRunning() const { return streaming_; }

bool V4l2Camera::startStream() {
  readFormat();  // what the frames will be, whatever was asked for
  v4l2_requestbuffers request{};
  request.count = bufferCount;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  if (xioctl(fd_, VIDIOC_REQBUFS, &request) < 0 || request.count == 0) {
    log_.error("camera buffers refused: " + reason(errno));
    return false;
  }
  buffers_.clear();
  bool mapped = true;
  for (std::uint32_t i = 0; i < request.count && mapped; ++i) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = i;
    mapped = xioctl(fd_, VIDIOC_QUERYBUF, &buffer) == 0;
    void* start = mapped ? mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, buffer.m.offset)
                         : MAP_FAILED;
    mapped = start != MAP_FAILED;
    if (mapped) buffers_.push_back({start, buffer.length});
    if (mapped) mapped = xioctl(fd_, VIDIOC_QBUF, &buffer) == 0;
  }
  v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (!mapped || xioctl(fd_, VIDIOC_STREAMON, &type) < 0) {
    log_.error("camera stream refused: " + reason(errno));
    for (const auto& buffer : buffers_) munmap(buffer.start, buffer.length);
    buffers_.clear();
    request.count = 0;
    xioctl(fd_, VIDIOC_REQBUFS, &request);
    return false;
  }
  streaming_ = true;
  ++stream_;
  watch_ = std::make_shared<Watch>();
  watch_->wake = eventfd(0, EFD_CLOEXEC);
  watch_->thread = std::thread([this, w = watch_, fd = fd_, stream = stream_] { watch(w, fd, stream); });
  return true;
}

void V4l2Camera::stopStream() {
  if (!streaming_) return;
  streaming_ = false;
  {
    const std::lock_guard lock(watch_->mutex);
    watch_->stop = true;
  }
  watch_->taken.notify_all();
  signal(watch_->wake);
  watch_->thread.join();
  ::close(watch_->wake);
  watch_.reset();
  v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  xioctl(fd_, VIDIOC_STREAMOFF, &type);
  for (const auto& buffer : buffers_) munmap(buffer.start, buffer.length);
  buffers_.clear();
  v4l2_requestbuffers request{};
  request.count = 0;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  xioctl(fd_, VIDIOC_REQBUFS, &request);
}

void V4l2Camera::watch(const std::shared_ptr<Watch>& w, int fd, std::uint64_t stream) {
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {w->wake, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    std::unique_lock lock(w->mutex);
    if (w->stop) return;
    w->posted = true;
    w->failing = (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    queue_->post([this, w, stream] { drain(w, stream); });
    w->taken.wait(lock, [&] { return !w->posted || w->stop; });
    if (w->stop) return;
  }
}

void V4l2Camera::requeue(std::uint32_t index) {
  v4l2_buffer buffer{};
  buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  buffer.memory = V4L2_MEMORY_MMAP;
  buffer.index = index;
  xioctl(fd_, VIDIOC_QBUF, &buffer);
}

void V4l2Camera::drain(const std::shared_ptr<Watch>& w, std::uint64_t stream) {
  const auto taken = [&w] {
    {
      const std::lock_guard lock(w->mutex);
      w->posted = false;
    }
    w->taken.notify_all();
  };
  if (!streaming_ || stream != stream_) {
    taken();
    return;
  }
  std::optional<v4l2_buffer> newest;
  int failure = 0;
  for (;;) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (xioctl(fd_, VIDIOC_DQBUF, &buffer) < 0) {
      if (errno != EAGAIN) failure = errno;
      break;
    }
    if (newest) requeue(newest->index);  // a late frame, dropped unread
    newest = buffer;
  }
  {
    // An error condition with no frame to take: the stream is broken.
    const std::lock_guard lock(w->mutex);
    if (!newest && failure == 0 && w->failing) failure = EIO;
  }
  taken();
  if (newest && (newest->flags & V4L2_BUF_FLAG_ERROR) == 0 && newest->index < buffers_.size()) {
    const auto& mapped = buffers_[newest->index];
    const RawFrame raw{fourcc_, width_, height_, bytesPerLine_,
                       {static_cast<const std::uint8_t*>(mapped.start), std::min<std::size_t>(newest->bytesused, mapped.length)}};
    // A handler that fails on a frame must not keep its buffer from the driver: a few such
    // frames would leave the camera with no buffer to fill.
    if (frames_) {
      try {
        frames_(MappedFrame(clock_.now(), raw, keepYUV420_));
      } catch (const std::exception& e) {
        log_.error(std::string("camera frame handling failed: ") + e.what());
      }
    }
  }
  // The handler may have restarted the stream (a new frame rate): its buffers are new ones.
  if (newest && streaming_ && stream == stream_) requeue(newest->index);
  if (failure != 0 && streaming_ && stream == stream_) {
    log_.error("camera stream failed: " + reason(failure));
    stopStream();
    std::string id;
    bool tell = true;
    {
      const std::lock_guard lock(nodesMutex_);
      if (open_) {
        id = open_->id;
        tell = losses_.tell(open_->path);
      }
    }
    if (tell) notify({V4l2Devices::streamFailure(failure), id});
  }
}

void V4l2Camera::notify(const CaptureNotice& notice) {
  NoticeHandler handler;
  {
    const std::lock_guard lock(nodesMutex_);
    handler = notices_;
  }
  if (handler) handler(notice);
}

void V4l2Camera::watchHotplug() {
  auto* monitor = static_cast<udev_monitor*>(monitor_);
  const int monitorFd = udev_monitor_get_fd(monitor);
  for (;;) {
    pollfd fds[2] = {{monitorFd, POLLIN, 0}, {hotplugWake_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    udev_device* device = udev_monitor_receive_device(monitor);
    if (device == nullptr) continue;
    const auto property = [device](const char* name) -> std::optional<std::string_view> {
      const char* value = udev_device_get_property_value(device, name);
      if (value == nullptr) return std::nullopt;
      return std::string_view(value);
    };
    const std::string action = udev_device_get_action(device) != nullptr ? udev_device_get_action(device) : "";
    const std::string node = udev_device_get_devnode(device) != nullptr ? udev_device_get_devnode(device) : "";
    const auto fromLinks = V4l2Devices::identifierFromDevlinks(property("DEVLINKS").value_or(""));
    const bool captures = V4l2Devices::capturesVideo(property("ID_V4L_CAPABILITIES"));
    udev_device_unref(device);
    if (!captures) continue;
    if (action == "add") {
      notify({CaptureNoticeKind::connected, fromLinks.value_or("")});
    } else if (action == "remove") {
      std::string id = fromLinks.value_or("");
      bool tell = true;
      {
        const std::lock_guard lock(nodesMutex_);
        for (const auto& known : nodes_) {
          if (known.path == node) id = known.id;
        }
        if (open_ && open_->path == node) id = open_->id;
        tell = losses_.tell(node);
      }
      if (tell) notify({CaptureNoticeKind::disconnected, id});
    }
  }
}

}  // namespace kestrel
