#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Which camera the frame source opens.
namespace CameraSelection {

// With a pinned identifier, that camera or none at all (never a stand-in); without, the
// first camera discovered, or none when there is none.
std::optional<std::string> choose(const std::vector<std::string>& available,
                                  const std::optional<std::string>& pinned);

}  // namespace CameraSelection

}  // namespace kestrel
