#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace kestrel {

// The revision of each analysis the vision analyzer runs. A number is raised whenever that
// analysis's model or decoding changes, so skeleton files made by an older analysis are
// reported stale.
struct VisionRevisions {
  static std::map<std::string, std::int64_t> current() {
    return {{"faceRectangles", 1}, {"bodyPose", 2}, {"handPose", 2}, {"faceLandmarks", 2}};
  }
};

}  // namespace kestrel
