#include "vision/analyzer.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <string>

#include "core/judgement/head_chin_geometry.hpp"
#include "core/model/thresholds.hpp"
#include "vision/hand_region.hpp"
#include "vision/head_pose.hpp"
#include "vision/model_store.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {

namespace {

// Image coordinates (y down from the top) to the measurements' (y up from the bottom).
struct Flip {
  double height;

  Point operator()(cv::Point2f p) const { return {p.x, height - p.y}; }
  Rect operator()(const cv::Rect2f& r) const { return {r.x, height - (r.y + r.height), r.width, r.height}; }
};

bool inFrame(cv::Point2f p, cv::Size size) {
  return p.x >= 0 && p.y >= 0 && p.x <= static_cast<float>(size.width) && p.y <= static_cast<float>(size.height);
}

Joint bodyJoint(const PoseLandmark& landmark, cv::Size size, const Flip& flip) {
  const float share = inFrame(landmark.point, size) ? 1.0F : Analyzer::outsideFrameShare;
  return Joint{flip(landmark.point), landmark.visibility * share};
}

Body bodyOf(const PoseLandmarks& pose, cv::Size size, const Flip& flip) {
  Body body;
  body.nose = bodyJoint(pose[PosePoint::nose], size, flip);
  body.leftShoulder = bodyJoint(pose[PosePoint::leftShoulder], size, flip);
  body.rightShoulder = bodyJoint(pose[PosePoint::rightShoulder], size, flip);
  body.neck = Joint{{(body.leftShoulder->point.x + body.rightShoulder->point.x) * 0.5,
                     (body.leftShoulder->point.y + body.rightShoulder->point.y) * 0.5},
                    std::min(body.leftShoulder->confidence, body.rightShoulder->confidence)};
  return body;
}

// Hands matter only where the classifier looks for a hand resting at the chin: the region
// around and below the chin, in image coordinates (y down).
cv::Rect2f chinArea(const cv::Rect2f& face, cv::Size size, const Flip& flip) {
  const Rect frame{0, 0, static_cast<double>(size.width), static_cast<double>(size.height)};
  const Rect chin = HeadChinGeometry::chinRegion(flip(face), frame, Thresholds());
  return {static_cast<float>(chin.minX), static_cast<float>(size.height - (chin.minY + chin.height)),
          static_cast<float>(chin.width), static_cast<float>(chin.height)};
}

// Two results of the hand model describe the same hand when their joints' bounding boxes
// mostly overlap.
bool sameHand(const HandLandmarks& a, const HandLandmarks& b) {
  const auto bounds = [](const HandLandmarks& h) {
    return cv::boundingRect(std::vector<cv::Point2f>(h.points.begin(), h.points.end()));
  };
  const cv::Rect2f ra = bounds(a);
  const cv::Rect2f rb = bounds(b);
  return overlap(ra, rb) > 0.5F;
}

}  // namespace

Analyzer::Analyzer() : Analyzer(defaultModelFolder()) {}

Analyzer::Analyzer(const std::filesystem::path& modelFolder)
    : faces_(loadModel(modelFolder, "face_detection_front.onnx")),
      pose_(loadModel(modelFolder, "pose_landmark_lite.onnx")),
      palms_(loadModel(modelFolder, "palm_detection_lite.onnx")),
      hands_(loadModel(modelFolder, "hand_landmark_lite.onnx")),
      mesh_(loadModel(modelFolder, "face_landmark.onnx")) {}

Analyzer::Output Analyzer::analyze(const Frame& frame, bool includeLandmarks, Trace* trace) {
  return analyzeImage(toBgr(frame), includeLandmarks, trace);
}

double Analyzer::meanLuma(const Frame& frame) const { return kestrel::meanLuma(toBgr(frame)); }

Analyzer::Output Analyzer::analyzeImage(const cv::Mat& bgr, bool includeLandmarks, Trace* trace) {
  if (bgr.empty() || bgr.type() != CV_8UC3) throw VisionError("the analyzer takes 8-bit BGR images");
  const cv::Size size = bgr.size();
  const Flip flip{static_cast<double>(size.height)};
  Output output;
  Measurements& m = output.measurements;
  m.frameWidth = size.width;
  m.frameHeight = size.height;
  m.meanLuma = kestrel::meanLuma(bgr);
  const auto traceRegion = [&](const Region& region) {
    if (trace == nullptr) return;
    const auto c = corners(region);
    trace->regions.push_back({flip(c[0]), flip(c[1]), flip(c[2]), flip(c[3])});
  };
  try {
    const std::vector<Detection> detections = faces_.detect(bgr);
    const Detection* tallest = nullptr;
    for (const auto& d : detections) {
      Face face{flip(d.box), std::nullopt, std::nullopt};
      if (const auto angles = headAngles(d.keypoints, size)) {
        face.yaw = angles->yaw;
        face.pitch = angles->pitch;
      }
      m.faces.push_back(face);
      if (tallest == nullptr || d.box.height > tallest->box.height) tallest = &d;
      if (trace != nullptr) {
        auto& points = trace->faceKeypoints.emplace_back();
        for (const auto& k : d.keypoints) points.push_back(flip(k));
      }
    }

    std::vector<HandLandmarks> found;
    const auto lookForHand = [&](const Region& region) {
      traceRegion(region);
      const auto hand = hands_.estimate(bgr, region);
      if (!hand) return;
      for (const auto& other : found) {
        if (sameHand(*hand, other)) return;
      }
      found.push_back(*hand);
    };

    if (tallest != nullptr) {
      const Region bodyRegion = poseRegionForFace(tallest->box);
      traceRegion(bodyRegion);
      if (const auto pose = pose_.estimate(bgr, bodyRegion)) {
        m.bodies.push_back(bodyOf(*pose, size, flip));
        const std::array<std::array<PosePoint, 4>, 2> arms{{
            {PosePoint::leftWrist, PosePoint::leftIndex, PosePoint::leftPinky, PosePoint::leftThumb},
            {PosePoint::rightWrist, PosePoint::rightIndex, PosePoint::rightPinky, PosePoint::rightThumb},
        }};
        const cv::Rect2f chin = chinArea(tallest->box, size, flip);
        for (const auto& [wrist, index, pinky, thumb] : arms) {
          const auto& p = *pose;
          const float seen = std::max({p[wrist].visibility, p[index].visibility, p[pinky].visibility});
          const auto region = handRegionFromPose(p[wrist].point, p[index].point, p[pinky].point);
          // A whole hand's length is two palm lengths.
          const bool mayMatter =
              region && mayReach({p[wrist].point, p[index].point, p[pinky].point, p[thumb].point}, chin,
                                 region->side * (2.0F / poseHandRegionPalms));
          if (seen >= minHandVisibility && mayMatter && found.size() < maxHands) lookForHand(*region);
        }
      }
    } else {
      for (const auto& region : palms_.detect(bgr, maxHands)) lookForHand(region);
    }

    for (const auto& hand : found) {
      Hand& h = m.hands.emplace_back();
      for (const auto& p : hand.points) {
        if (inFrame(p, size)) h.joints.push_back(Joint{flip(p), hand.score});
      }
    }

    if (includeLandmarks && tallest != nullptr) {
      if (const auto mesh = mesh_.estimate(bgr, faceMeshRegion(*tallest))) {
        for (const auto& [name, points] : landmarkRegions(*mesh)) {
          auto& out = output.landmarks[name];
          for (const auto& p : points) out.push_back(flip(p));
        }
      }
    }
  } catch (const cv::Exception& e) {
    throw VisionError(std::string("vision analysis failed: ") + e.what());
  }
  return output;
}

double meanLuma(const cv::Mat& bgr) {
  if (bgr.empty()) return 0;
  const cv::Scalar mean = cv::mean(bgr);
  const auto byte = [](double v) { return static_cast<double>(std::lround(std::clamp(v, 0.0, 255.0))); };
  return (0.299 * byte(mean[2]) + 0.587 * byte(mean[1]) + 0.114 * byte(mean[0])) / 255.0;
}

}  // namespace kestrel
