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
    return {{"faceRectangles", 1}, {"bodyPose", 1}, {"handPose", 1}, {"faceLandmarks", 1}};
  }
};

}  // namespace kestrel
