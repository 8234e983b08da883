#pragma once

#include <opencv2/dnn.hpp>
#include <vector>

#include "vision/detections.hpp"

namespace kestrel {

// The six keypoints of a detected face, in the detector's order. "Right" and "left" are
// the person's own sides, so the right eye appears on the image's left.
enum class FaceKeypoint { rightEye, leftEye, noseTip, mouth, rightEar, leftEar };

// Short-range face detection (BlazeFace, 128x128 input) over the whole image: square face
// boxes with six keypoints, strongest first.
class FaceDetector {
 public:
  static constexpr int inputSize = 128;
  // Faces in photos score above 0.9; below 0.75 the detector also fires on round objects
  // and textures, which would count as extra faces.
  static constexpr float minScore = 0.75F;
  static constexpr float mergeOverlap = 0.3F;

  explicit FaceDetector(cv::dnn::Net net);

  std::vector<Detection> detect(const cv::Mat& bgr);

 private:
  cv::dnn::Net net_;
  std::vector<cv::Point2f> anchors_;
};

}  // namespace kestrel
