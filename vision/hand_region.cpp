#include "vision/hand_region.hpp"

#include <algorithm>
#include <cmath>

namespace kestrel {

std::optional<Region> handRegion(cv::Point2f wrist, cv::Point2f middleKnuckle, float along, float size) {
  const cv::Point2f palm = middleKnuckle - wrist;
  const float length = std::hypot(palm.x, palm.y);
  if (!(length > 0)) return std::nullopt;
  return Region{wrist + palm * along, size * length, std::atan2(palm.x, -palm.y)};
}

std::optional<Region> handRegionFromPalm(cv::Point2f wrist, cv::Point2f middleKnuckle) {
  return handRegion(wrist, middleKnuckle, 1.0F, 2.8F);
}

std::optional<Region> handRegionFromPose(cv::Point2f wrist, cv::Point2f index, cv::Point2f pinky) {
  return handRegion(wrist, index + (pinky - index) * (1.0F / 3.0F), 0.5F, poseHandRegionPalms);
}

bool mayReach(const std::array<cv::Point2f, 4>& handPoints, const cv::Rect2f& area, float reach) {
  return std::any_of(handPoints.begin(), handPoints.end(), [&](cv::Point2f p) {
    const float dx = std::max({area.x - p.x, 0.0F, p.x - (area.x + area.width)});
    const float dy = std::max({area.y - p.y, 0.0F, p.y - (area.y + area.height)});
    return std::hypot(dx, dy) <= reach;
  });
}

PalmDetector::PalmDetector(cv::dnn::Net net)
    : net_(std::move(net)), anchors_(anchorCentres(inputSize, {{8, 2}, {16, 6}})) {}

std::vector<Region> PalmDetector::detect(const cv::Mat& bgr, std::size_t limit) {
  const RegionCrop crop = cropRegion(bgr, wholeImage(bgr.size()), inputSize);
  net_.setInput(toBlob(crop, 0, 1));
  std::vector<cv::Mat> out;
  net_.forward(out, std::vector<cv::String>{"Identity", "Identity_1"});
  // Per anchor: box (4 values) and seven keypoints; keypoint 0 is the wrist, 2 the middle knuckle.
  if (out.size() != 2 || out[1].total() != anchors_.size() || out[0].total() != anchors_.size() * 18) return {};
  const auto palms = mergeOverlapping(
      decodeDetections(out[1].ptr<float>(), out[0].ptr<float>(), 18, anchors_, 7, crop, minScore), mergeOverlap);
  std::vector<Region> regions;
  for (const auto& palm : palms) {
    if (regions.size() == limit) break;
    if (auto region = handRegionFromPalm(palm.keypoints[0], palm.keypoints[2])) regions.push_back(*region);
  }
  return regions;
}

HandLandmarker::HandLandmarker(cv::dnn::Net net) : net_(std::move(net)) {}

std::optional<HandLandmarks> HandLandmarker::estimate(const cv::Mat& bgr, const Region& region) {
  const RegionCrop crop = cropRegion(bgr, region, inputSize);
  net_.setInput(toBlob(crop, 0, 1));
  std::vector<cv::Mat> out;
  net_.forward(out, std::vector<cv::String>{"Identity", "Identity_1"});
  if (out.size() != 2 || out[0].total() != 21 * 3 || out[1].total() != 1) return std::nullopt;
  HandLandmarks hand;
  hand.score = out[1].ptr<float>()[0];
  if (!(hand.score >= minScore)) return std::nullopt;
  const float* v = out[0].ptr<float>();
  for (std::size_t i = 0; i < hand.points.size(); ++i, v += 3) hand.points[i] = crop.toImage({v[0], v[1]});
  return hand;
}

}  // namespace kestrel
