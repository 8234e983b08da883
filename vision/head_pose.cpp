#include "vision/head_pose.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/calib3d.hpp>

namespace kestrel {

namespace {

// The keypoints on an average adult head, millimetres from the nose tip, in camera axes
// for a face looking straight into the camera: x to the image's right, y down, z away.
const std::vector<cv::Point3d>& headModel() {
  static const std::vector<cv::Point3d> points{
      {-31, -33, 30},  // right eye
      {31, -33, 30},   // left eye
      {0, 0, 0},       // nose tip
      {0, 30, 17},     // mouth
      {-70, -15, 95},  // right ear
      {70, -15, 95},   // left ear
  };
  return points;
}

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

}  // namespace

std::optional<HeadAngles> headAngles(const std::vector<cv::Point2f>& keypoints, cv::Size image) {
  if (keypoints.size() != 6 || image.width <= 0 || image.height <= 0) return std::nullopt;
  const double focal = std::max(image.width, image.height);
  // The angles describe the head as seen along the line of sight to it, so a face that
  // looks towards the camera from the edge of the picture is not called turned: the
  // camera is modelled as if pointed straight at the face (its centre at the keypoints'
  // centroid).
  std::vector<cv::Point2d> seen(keypoints.begin(), keypoints.end());
  cv::Point2d centroid(0, 0);
  for (const auto& p : seen) centroid += p;
  centroid *= 1.0 / static_cast<double>(seen.size());
  const cv::Matx33d camera(focal, 0, centroid.x, 0, focal, centroid.y, 0, 0, 1);

  // Start from a face looking into the camera at the distance its eye spacing suggests.
  const double eyes = std::hypot(seen[1].x - seen[0].x, seen[1].y - seen[0].y);
  if (!(eyes > 0)) return std::nullopt;
  const double depth = focal * 62.0 / eyes;
  cv::Vec3d rotation(0, 0, 0);
  cv::Vec3d translation((seen[2].x - camera(0, 2)) * depth / focal, (seen[2].y - camera(1, 2)) * depth / focal, depth);
  try {
    if (!cv::solvePnP(headModel(), seen, camera, cv::noArray(), rotation, translation, true, cv::SOLVEPNP_ITERATIVE)) {
      return std::nullopt;
    }
  } catch (const cv::Exception&) {
    return std::nullopt;
  }
  cv::Matx33d r;
  cv::Rodrigues(rotation, r);
  // The direction the face points (out of the face, towards the camera when frontal).
  const cv::Vec3d facing = r * cv::Vec3d(0, 0, -1);
  if (!std::isfinite(facing[0]) || !std::isfinite(facing[1]) || !std::isfinite(facing[2])) return std::nullopt;
  return HeadAngles{degrees(std::atan2(facing[0], -facing[2])), degrees(std::asin(std::clamp(facing[1], -1.0, 1.0)))};
}

}  // namespace kestrel
