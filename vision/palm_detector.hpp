#pragma once

#include <opencv2/dnn.hpp>
#include <vector>

#include "vision/region.hpp"

namespace kestrel {

// Palm detection (192x192 input) over the whole image: the regions of up to `limit`
// hands, strongest first.
class PalmDetector {
 public:
  static constexpr int inputSize = 192;
  static constexpr float minScore = 0.5F;
  static constexpr float mergeOverlap = 0.3F;

  explicit PalmDetector(cv::dnn::Net net);

  std::vector<Region> detect(const cv::Mat& bgr, std::size_t limit);

 private:
  cv::dnn::Net net_;
  std::vector<cv::Point2f> anchors_;
};

}  // namespace kestrel
