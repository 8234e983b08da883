#pragma once

#include <array>
#include <opencv2/dnn.hpp>
#include <optional>

#include "vision/region.hpp"

namespace kestrel {

// The 21 joints of one hand (wrist, then four joints for each finger from the thumb).
struct HandLandmarks {
  std::array<cv::Point2f, 21> points;  // image coordinates
  float score = 0;  // 0 to 1: how likely the region holds a hand

  bool operator==(const HandLandmarks&) const = default;
};

// Hand joints (hand landmark lite, 224x224 input) within a region.
class HandLandmarker {
 public:
  static constexpr int inputSize = 224;
  static constexpr float minScore = 0.5F;

  explicit HandLandmarker(cv::dnn::Net net);

  // Absent when the model finds no hand in the region.
  std::optional<HandLandmarks> estimate(const cv::Mat& bgr, const Region& region);

 private:
  cv::dnn::Net net_;
};

}  // namespace kestrel
