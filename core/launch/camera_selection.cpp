#include "core/launch/camera_selection.hpp"

#include <algorithm>

namespace kestrel {

std::optional<std::string> CameraSelection::choose(const std::vector<std::string>& available,
                                                   const std::optional<std::string>& pinned) {
  if (pinned) {
    if (std::find(available.begin(), available.end(), *pinned) != available.end()) return pinned;
    return std::nullopt;
  }
  if (available.empty()) return std::nullopt;
  return available.front();
}

}  // namespace kestrel
