#include "vision/hand_landmarker.hpp"

#include "vision/detections.hpp"

namespace kestrel {

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
