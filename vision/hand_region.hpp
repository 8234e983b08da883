#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

#include "vision/region.hpp"

namespace kestrel {

// The region the hand model expects around a hand whose wrist and middle knuckle are
// known: turned so that the fingers point up, centred at `along` of the way from the wrist
// to the knuckle, `size` times the wrist-to-knuckle distance wide. Absent when the two
// points coincide.
std::optional<Region> handRegion(cv::Point2f wrist, cv::Point2f middleKnuckle, float along, float size);

// The hand region from a palm detection's wrist and middle knuckle, which are precise:
// centred on the knuckle, 2.8 times the palm's length.
std::optional<Region> handRegionFromPalm(cv::Point2f wrist, cv::Point2f middleKnuckle);

// The hand region from the pose model's wrist, index and pinky points (the middle knuckle
// taken a third of the way from the index to the pinky). The pose model sees a hand at
// a tenth of its size and places the knuckles loosely, so the region is centred halfway
// along the palm and 3.5 palm lengths wide.
std::optional<Region> handRegionFromPose(cv::Point2f wrist, cv::Point2f index, cv::Point2f pinky);
constexpr float poseHandRegionPalms = 3.5F;  // the width of that region, in palm lengths

// Whether a hand the pose model sees at these points (its wrist, index, pinky and thumb)
// could hold joints inside `area`: one of the points lies within `reach` of the area (image
// coordinates, edges included). The pose model places hand points loosely and fingers reach
// past them, so `reach` is a margin of about a hand's length.
bool mayReach(const std::array<cv::Point2f, 4>& handPoints, const cv::Rect2f& area, float reach);

}  // namespace kestrel
