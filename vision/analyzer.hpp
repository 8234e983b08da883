#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "core/model/measurements.hpp"
#include "vision/face_detector.hpp"
#include "vision/face_mesh.hpp"
#include "vision/frame.hpp"
#include "vision/hand_landmarker.hpp"
#include "vision/palm_detector.hpp"
#include "vision/pose_estimator.hpp"

namespace kestrel {

// Turns one camera frame into its measurements: the faces with yaw and pitch, the body of
// the most prominent face (nose, neck, shoulders) and the hands near it, in pixels of the
// frame with the origin at its lower-left corner and y upwards.
//
// How the models are chained, so that one frame stays cheap:
// - faces: short-range face detection over the whole frame;
// - body: the pose model looks where the tallest face's body must be, so no person
//   detector runs; the neck is the midpoint of the shoulders;
// - hands: the hand model looks only at a hand the pose model sees within a hand's length of
//   the chin region the classifier checks for a resting hand (the only place a hand matters);
//   a frame without a face has its hands found by the palm detector;
// - face landmarks, only when asked for: the face mesh of the tallest face.
// Each call is independent of the ones before. One analyzer is used by one thread at a time.
class Analyzer {
 public:
  static constexpr std::size_t maxHands = 2;
  // The hand model runs on a hand of the pose only when the pose model sees its wrist,
  // index or pinky at least this likely in view: each run costs as much as half the pose.
  static constexpr float minHandVisibility = 0.5F;
  // A body joint the pose model places outside the frame keeps this share of its
  // visibility as its confidence: a guess, not a sighting.
  static constexpr float outsideFrameShare = 0.2F;

  struct Output {
    Measurements measurements;
    std::map<std::string, std::vector<Point>> landmarks;  // by region name; empty unless asked for

    bool operator==(const Output&) const = default;
  };

  // What the analysis looked at, for pictures of it; same coordinates as the measurements.
  struct Trace {
    std::vector<std::vector<Point>> faceKeypoints;  // per face: eyes, nose tip, mouth, ears
    std::vector<std::array<Point, 4>> regions;      // the squares given to the pose and hand models
  };

  // Loads the models from defaultModelFolder(). VisionError with
  // visionModelsMissingMessage when one is missing or damaged.
  Analyzer();
  explicit Analyzer(const std::filesystem::path& modelFolder);

  // VisionError for a frame whose planes do not fit its size and format, or when a model
  // fails on it.
  Output analyze(const Frame& frame, bool includeLandmarks, Trace* trace = nullptr);
  Output analyzeImage(const cv::Mat& bgr, bool includeLandmarks, Trace* trace = nullptr);

  double meanLuma(const Frame& frame) const;

 private:
  FaceDetector faces_;
  PoseEstimator pose_;
  PalmDetector palms_;
  HandLandmarker hands_;
  FaceMesh mesh_;
};

// Mean brightness of a BGR image from 0 to 1: each channel's mean rounded to a whole byte
// value, then weighted 0.299 red, 0.587 green, 0.114 blue.
double meanLuma(const cv::Mat& bgr);

}  // namespace kestrel
