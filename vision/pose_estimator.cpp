#include "vision/pose_estimator.hpp"

namespace kestrel {

Region poseRegionForFace(const cv::Rect2f& face) {
  const float size = std::max(face.width, face.height);
  return Region{{face.x + face.width * 0.5F, face.y + face.height * 0.5F + 3.2F * size}, 10.0F * size, 0};
}

PoseEstimator::PoseEstimator(cv::dnn::Net net) : net_(std::move(net)) {}

std::optional<PoseLandmarks> PoseEstimator::estimate(const cv::Mat& bgr, const Region& region) {
  const RegionCrop crop = cropRegion(bgr, region, inputSize);
  net_.setInput(toBlob(crop, 0, 1));
  std::vector<cv::Mat> out;
  net_.forward(out, std::vector<cv::String>{"Identity", "Identity_1"});
  // 39 points of x, y, z, visibility and presence logits; the first 33 are the body's.
  if (out.size() != 2 || out[0].total() != 39 * 5 || out[1].total() != 1) return std::nullopt;
  PoseLandmarks pose;
  pose.score = out[1].ptr<float>()[0];
  if (!(pose.score >= minScore)) return std::nullopt;
  const float* v = out[0].ptr<float>();
  for (std::size_t i = 0; i < pose.points.size(); ++i, v += 5) {
    pose.points[i] = PoseLandmark{crop.toImage({v[0], v[1]}), sigmoid(v[3])};
  }
  return pose;
}

}  // namespace kestrel
