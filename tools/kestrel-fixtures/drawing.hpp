#pragma once

#include <opencv2/core.hpp>

#include "vision/analyzer.hpp"

namespace kestrel::fixtures {

// A copy of the image with what the analyzer saw drawn over it: the regions given to the
// pose and hand models (grey), face boxes (green) with their keypoints, the body's joints
// and links (orange, the neck between the shoulders), hand joints (magenta) and face
// landmark regions (yellow). Joints below the confidence limit are drawn hollow.
cv::Mat drawAnalysis(const cv::Mat& image, const Analyzer::Output& output, const Analyzer::Trace& trace,
                     double minConfidence);

}  // namespace kestrel::fixtures
