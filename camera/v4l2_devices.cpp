#include "camera/v4l2_devices.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <map>
#include <sstream>

namespace kestrel {

namespace {

constexpr std::string_view byIdFolder = "/dev/v4l/by-id/";

std::optional<long> nodeNumber(std::string_view name) {
  constexpr std::string_view prefix = "video";
  if (name.substr(0, prefix.size()) != prefix || name.size() == prefix.size()) return std::nullopt;
  const std::string_view digits = name.substr(prefix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  long number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

}  // namespace

std::vector<std::string> V4l2Devices::videoNodes(const std::vector<std::string>& names) {
  std::vector<std::pair<long, std::string>> nodes;
  for (const auto& name : names) {
    if (const auto number = nodeNumber(name)) nodes.emplace_back(*number, name);
  }
  std::stable_sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> sorted;
  for (auto& [number, name] : nodes) sorted.push_back(std::move(name));
  return sorted;
}

std::vector<std::string> V4l2Devices::linksTo(const std::vector<std::pair<std::string, std::string>>& links,
                                              std::string_view node) {
  std::vector<std::string> names;
  for (const auto& [name, target] : links) {
    if (target == node) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string V4l2Devices::identifier(const std::vector<std::string>& byIdLinks, std::string_view card,
                                    std::string_view busInfo) {
  if (!byIdLinks.empty()) return byIdLinks.front();
  return std::string(card) + " @ " + std::string(busInfo);
}

std::vector<std::string> V4l2Devices::unique(std::vector<std::string> identifiers) {
  std::map<std::string, int> seen;
  for (auto& id : identifiers) {
    const int count = ++seen[id];
    if (count > 1) id += " #" + std::to_string(count);
  }
  return identifiers;
}

std::optional<std::string> V4l2Devices::identifierFromDevlinks(std::string_view devlinks) {
  std::istringstream words{std::string(devlinks)};
  std::vector<std::string> names;
  for (std::string link; words >> link;) {
    if (link.compare(0, byIdFolder.size(), byIdFolder) == 0 && link.size() > byIdFolder.size()) {
      names.push_back(link.substr(byIdFolder.size()));
    }
  }
  if (names.empty()) return std::nullopt;
  return *std::min_element(names.begin(), names.end());
}

bool V4l2Devices::capturesVideo(std::optional<std::string_view> capabilities) {
  if (!capabilities) return true;
  return capabilities->find(":capture:") != std::string_view::npos;
}

CaptureError::Kind V4l2Devices::errorKind(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return CaptureError::Kind::denied;
    case EBUSY:
      return CaptureError::Kind::busy;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return CaptureError::Kind::missing;
    default:
      return CaptureError::Kind::failed;
  }
}

CameraPermission V4l2Devices::permission(const std::vector<int>& openResults) {
  bool refused = false;
  for (const int result : openResults) {
    if (result == 0) return CameraPermission::authorized;
    if (errorKind(result) == CaptureError::Kind::denied) refused = true;
  }
  return refused ? CameraPermission::denied : CameraPermission::authorized;
}

CaptureNoticeKind V4l2Devices::streamFailure(int error) {
  return error == ENODEV || error == ENXIO ? CaptureNoticeKind::disconnected : CaptureNoticeKind::runtimeError;
}

void LossReport::opened(std::string node) {
  open_ = std::move(node);
  told_ = false;
}

bool LossReport::tell(std::string_view node) {
  if (!open_ || *open_ != node) return true;
  if (told_) return false;
  told_ = true;
  return true;
}

}  // namespace kestrel
