#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <vector>

namespace kestrel {

// Which way a head is turned, in degrees. Yaw is positive when the face turns towards the
// image's right edge (the person's left); pitch is positive when the face tilts down.
// A mirrored image gives the opposite yaw and the same pitch.
struct HeadAngles {
  double yaw = 0;
  double pitch = 0;

  bool operator==(const HeadAngles&) const = default;
};

// Fits a generic adult head to the six face keypoints (eyes, nose tip, mouth, ears, in the
// face detector's order), with a focal length of the image's longer side. The angles are
// taken along the line of sight to the face, so a face looking at the camera from the
// edge of the picture has no yaw. Absent when the keypoints are not six or the fit fails.
std::optional<HeadAngles> headAngles(const std::vector<cv::Point2f>& keypoints, cv::Size image);

}  // namespace kestrel
