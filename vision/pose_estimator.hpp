#pragma once

#include <array>
#include <opencv2/dnn.hpp>
#include <optional>

#include "vision/region.hpp"

namespace kestrel {

// Body points of the pose model used here; "left" and "right" are the person's own sides.
enum class PosePoint {
  nose = 0,
  leftShoulder = 11,
  rightShoulder = 12,
  leftWrist = 15,
  rightWrist = 16,
  leftPinky = 17,
  rightPinky = 18,
  leftIndex = 19,
  rightIndex = 20,
  leftThumb = 21,
  rightThumb = 22,
};

struct PoseLandmark {
  cv::Point2f point;  // image coordinates
  float visibility = 0;  // 0 to 1: how likely the point is in view and not hidden
};

struct PoseLandmarks {
  static constexpr int count = 33;
  std::array<PoseLandmark, count> points;
  float score = 0;  // 0 to 1: how likely the region holds a person

  const PoseLandmark& operator[](PosePoint p) const { return points[static_cast<std::size_t>(p)]; }
};

// Where to look for the body of a face: the square the pose model expects, centred at the
// hips and holding the whole person, estimated from the face box alone (the hips lie
// about 3.2 face heights below the face's centre, the square is about 10 face heights).
Region poseRegionForFace(const cv::Rect2f& face);

// Body landmarks (BlazePose lite, 256x256 input) within a region.
class PoseEstimator {
 public:
  static constexpr int inputSize = 256;
  static constexpr float minScore = 0.5F;

  explicit PoseEstimator(cv::dnn::Net net);

  // Absent when the model finds no person in the region.
  std::optional<PoseLandmarks> estimate(const cv::Mat& bgr, const Region& region);

 private:
  cv::dnn::Net net_;
};

}  // namespace kestrel
