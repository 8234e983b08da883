#include "vision/face_detector.hpp"

#include <opencv2/imgproc.hpp>

namespace kestrel {

FaceDetector::FaceDetector(cv::dnn::Net net)
    : net_(std::move(net)), anchors_(anchorCentres(inputSize, {{8, 2}, {16, 6}})) {}

std::vector<Detection> FaceDetector::detect(const cv::Mat& bgr) {
  const RegionCrop crop = cropRegion(bgr, wholeImage(bgr.size()), inputSize);
  // This model takes NHWC input: RGB values from -1 to 1, one pixel after the other.
  cv::Mat rgb;
  cv::cvtColor(crop.pixels, rgb, cv::COLOR_BGR2RGB);
  cv::Mat input;
  rgb.convertTo(input, CV_32FC3, 2.0 / 255.0, -1.0);
  const int shape[] = {1, inputSize, inputSize, 3};
  net_.setInput(cv::Mat(4, shape, CV_32F, input.ptr<float>()));
  std::vector<cv::Mat> out;
  // Scores and boxes come in two parts: the 16x16 grid (2 anchors a cell), then 8x8 (6).
  net_.forward(out, std::vector<cv::String>{"Identity:0", "Identity_1:0", "Identity_2:0", "Identity_3:0"});
  std::vector<float> logits(out[0].ptr<float>(), out[0].ptr<float>() + out[0].total());
  logits.insert(logits.end(), out[1].ptr<float>(), out[1].ptr<float>() + out[1].total());
  std::vector<float> boxes(out[2].ptr<float>(), out[2].ptr<float>() + out[2].total());
  boxes.insert(boxes.end(), out[3].ptr<float>(), out[3].ptr<float>() + out[3].total());
  if (logits.size() != anchors_.size() || boxes.size() != anchors_.size() * 16) return {};
  return mergeOverlapping(decodeDetections(logits.data(), boxes.data(), 16, anchors_, 6, crop, minScore), mergeOverlap);
}

}  // namespace kestrel
