#include "vision/palm_detector.hpp"

#include "vision/detections.hpp"
#include "vision/hand_region.hpp"

namespace kestrel {

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

}  // namespace kestrel
