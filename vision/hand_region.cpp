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

}  // namespace kestrel
