#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "vision/region.hpp"

namespace kestrel {

// One object found by a single-shot detector, in image coordinates.
struct Detection {
  cv::Rect2f box;
  float score = 0;
  std::vector<cv::Point2f> keypoints;
};

// One feature map of a detector: its stride in input pixels and anchors per cell.
struct AnchorLayer {
  int stride = 0;
  int anchorsPerCell = 0;
};

// Anchor centres in input pixels, cell by cell in rows, the anchors of a cell together.
std::vector<cv::Point2f> anchorCentres(int inputSize, const std::vector<AnchorLayer>& layers);

// Decodes raw detector outputs: one score logit per anchor and `stride` values per anchor
// (centre offset x, y, width, height, then x, y of each keypoint, in input pixels).
// Detections scoring below minScore are dropped.
std::vector<Detection> decodeDetections(const float* logits, const float* boxes, int stride,
                                        const std::vector<cv::Point2f>& anchors, int keypoints,
                                        const RegionCrop& crop, float minScore);

// Intersection over union of two boxes; 0 when either is empty.
float overlap(const cv::Rect2f& a, const cv::Rect2f& b);

// Merges overlapping detections (more than minOverlap) into their score-weighted mean, the
// strongest first. The merged detection keeps the strongest score.
std::vector<Detection> mergeOverlapping(std::vector<Detection> detections, float minOverlap);

}  // namespace kestrel
