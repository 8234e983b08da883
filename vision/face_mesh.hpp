#pragma once

#include <map>
#include <opencv2/dnn.hpp>
#include <optional>
#include <string>
#include <vector>

#include "vision/detections.hpp"
#include "vision/region.hpp"

namespace kestrel {

// The region the face mesh model expects for a detected face: the face box grown by half,
// turned so that the eyes lie level.
Region faceMeshRegion(const Detection& face);

// The face's outline and features as named regions of the 468 mesh points, in the order
// "faceContour", "outerLips", "innerLips", "nose", "leftEye", "rightEye", "medianLine".
// "leftEye" is the person's own left eye. The contour runs along the jaw from cheek to
// cheek; the median line runs down the middle from forehead to chin.
std::map<std::string, std::vector<cv::Point2f>> landmarkRegions(const std::vector<cv::Point2f>& mesh);

// The names of the landmark regions in their order.
const std::vector<std::string>& landmarkRegionNames();

// Face landmarks (the 468-point face mesh, 192x192 input) within a region.
class FaceMesh {
 public:
  static constexpr int inputSize = 192;
  static constexpr int pointCount = 468;
  static constexpr float minScore = 0.5F;

  explicit FaceMesh(cv::dnn::Net net);

  // The 468 points in image coordinates; absent when the model finds no face.
  std::optional<std::vector<cv::Point2f>> estimate(const cv::Mat& bgr, const Region& region);

 private:
  cv::dnn::Net net_;
};

}  // namespace kestrel
