#include "vision/detections.hpp"

#include <algorithm>

namespace kestrel {

std::vector<cv::Point2f> anchorCentres(int inputSize, const std::vector<AnchorLayer>& layers) {
  std::vector<cv::Point2f> anchors;
  for (const auto& layer : layers) {
    const int cells = inputSize / layer.stride;
    for (int y = 0; y < cells; ++y) {
      for (int x = 0; x < cells; ++x) {
        for (int k = 0; k < layer.anchorsPerCell; ++k) {
          anchors.emplace_back((x + 0.5F) * static_cast<float>(layer.stride), (y + 0.5F) * static_cast<float>(layer.stride));
        }
      }
    }
  }
  return anchors;
}

std::vector<Detection> decodeDetections(const float* logits, const float* boxes, int stride,
                                        const std::vector<cv::Point2f>& anchors, int keypoints,
                                        const RegionCrop& crop, float minScore) {
  std::vector<Detection> found;
  const float scale = crop.region.side / static_cast<float>(crop.size);
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    const float score = sigmoid(std::clamp(logits[i], -80.0F, 80.0F));
    if (!(score >= minScore)) continue;
    const float* v = boxes + i * static_cast<std::size_t>(stride);
    const cv::Point2f centre = crop.toImage(anchors[i] + cv::Point2f(v[0], v[1]));
    const float w = v[2] * scale;
    const float h = v[3] * scale;
    Detection d{{centre.x - w * 0.5F, centre.y - h * 0.5F, w, h}, score, {}};
    for (int k = 0; k < keypoints; ++k) {
      d.keypoints.push_back(crop.toImage(anchors[i] + cv::Point2f(v[4 + 2 * k], v[5 + 2 * k])));
    }
    found.push_back(std::move(d));
  }
  return found;
}

float overlap(const cv::Rect2f& a, const cv::Rect2f& b) {
  const float inner = (a & b).area();
  const float outer = a.area() + b.area() - inner;
  return outer > 0 ? inner / outer : 0;
}

std::vector<Detection> mergeOverlapping(std::vector<Detection> detections, float minOverlap) {
  std::stable_sort(detections.begin(), detections.end(),
                   [](const Detection& a, const Detection& b) { return a.score > b.score; });
  std::vector<Detection> merged;
  std::vector<bool> used(detections.size(), false);
  for (std::size_t i = 0; i < detections.size(); ++i) {
    if (used[i]) continue;
    const Detection& best = detections[i];
    float total = 0;
    cv::Vec4f box{};
    std::vector<cv::Point2f> keypoints(best.keypoints.size());
    for (std::size_t j = i; j < detections.size(); ++j) {
      if (used[j] || (j != i && overlap(best.box, detections[j].box) <= minOverlap)) continue;
      used[j] = true;
      const Detection& d = detections[j];
      total += d.score;
      box += cv::Vec4f(d.box.x, d.box.y, d.box.width, d.box.height) * d.score;
      for (std::size_t k = 0; k < keypoints.size(); ++k) keypoints[k] += d.keypoints[k] * d.score;
    }
    box /= total;
    for (auto& k : keypoints) k /= total;
    merged.push_back(Detection{{box[0], box[1], box[2], box[3]}, best.score, std::move(keypoints)});
  }
  return merged;
}

}  // namespace kestrel
