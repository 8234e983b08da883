#include "vision/face_mesh.hpp"

#include <cmath>
#include <utility>

#include "vision/face_detector.hpp"

namespace kestrel {

namespace {

// Indices of the mesh points forming each region.
struct RegionIndices {
  const char* name;
  std::vector<int> points;
};

const std::vector<RegionIndices>& regionIndices() {
  static const std::vector<RegionIndices> regions{
      {"faceContour", {234, 93, 132, 58, 172, 136, 150, 149, 176, 148, 152, 377, 400, 378, 379, 365, 397, 288, 361, 323, 454}},
      {"outerLips", {61, 146, 91, 181, 84, 17, 314, 405, 321, 375, 291, 409, 270, 269, 267, 0, 37, 39, 40, 185}},
      {"innerLips", {78, 95, 88, 178, 87, 14, 317, 402, 318, 324, 308, 415, 310, 311, 312, 13, 82, 81, 80, 191}},
      {"nose", {168, 6, 197, 195, 5, 4, 1, 19, 94, 2, 98, 97, 326, 327}},
      {"leftEye", {263, 249, 390, 373, 374, 380, 381, 382, 362, 398, 384, 385, 386, 387, 388, 466}},
      {"rightEye", {33, 7, 163, 144, 145, 153, 154, 155, 133, 173, 157, 158, 159, 160, 161, 246}},
      {"medianLine", {10, 151, 9, 8, 168, 6, 197, 195, 5, 4, 1, 19, 94, 2, 164, 0, 11, 12, 13, 14, 15, 16, 17, 18, 200, 199, 175, 152}},
  };
  return regions;
}

}  // namespace

const std::vector<std::string>& landmarkRegionNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const auto& r : regionIndices()) all.emplace_back(r.name);
    return all;
  }();
  return names;
}

Region faceMeshRegion(const Detection& face) {
  const cv::Point2f centre(face.box.x + face.box.width * 0.5F, face.box.y + face.box.height * 0.5F);
  float angle = 0;
  if (face.keypoints.size() > 1) {
    const cv::Point2f eyes = face.keypoints[static_cast<std::size_t>(FaceKeypoint::leftEye)] -
                             face.keypoints[static_cast<std::size_t>(FaceKeypoint::rightEye)];
    angle = std::atan2(eyes.y, eyes.x);
  }
  return Region{centre, 1.5F * std::max(face.box.width, face.box.height), angle};
}

std::map<std::string, std::vector<cv::Point2f>> landmarkRegions(const std::vector<cv::Point2f>& mesh) {
  std::map<std::string, std::vector<cv::Point2f>> regions;
  if (mesh.size() != FaceMesh::pointCount) return regions;
  for (const auto& r : regionIndices()) {
    auto& points = regions[r.name];
    for (int i : r.points) points.push_back(mesh[static_cast<std::size_t>(i)]);
  }
  return regions;
}

FaceMesh::FaceMesh(cv::dnn::Net net) : net_(std::move(net)) {}

std::optional<std::vector<cv::Point2f>> FaceMesh::estimate(const cv::Mat& bgr, const Region& region) {
  const RegionCrop crop = cropRegion(bgr, region, inputSize);
  net_.setInput(toBlob(crop, 0, 1));
  std::vector<cv::Mat> out;
  net_.forward(out, std::vector<cv::String>{"conv2d_21", "conv2d_31"});
  if (out.size() != 2 || out[0].total() != pointCount * 3 || out[1].total() != 1) return std::nullopt;
  if (!(sigmoid(out[1].ptr<float>()[0]) >= minScore)) return std::nullopt;
  std::vector<cv::Point2f> points;
  points.reserve(pointCount);
  const float* v = out[0].ptr<float>();
  for (int i = 0; i < pointCount; ++i, v += 3) points.push_back(crop.toImage({v[0], v[1]}));
  return points;
}

}  // namespace kestrel
