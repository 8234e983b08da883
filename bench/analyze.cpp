// One 1280x720 camera frame through the vision analyzer, on one core: the whole analysis
// and each model on its own. Figures are medians over repetitions; nothing is asserted.
//
//   build/bench/bench_analyze --benchmark_min_time=0.2
#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>

#include "vision/analyzer.hpp"
#include "vision/model_store.hpp"
#include "vision/vision_error.hpp"

namespace {

using namespace kestrel;

constexpr int frameWidth = 1280;
constexpr int frameHeight = 720;

// A photo scaled to the frame's height and centred on a grey 1280x720 frame, like a
// person sitting in front of a laptop camera.
cv::Mat frameOf(const std::string& file) {
  const cv::Mat photo = cv::imread(std::string(KESTREL_TEST_PHOTOS) + "/" + file, cv::IMREAD_COLOR);
  if (photo.empty()) throw std::runtime_error("missing photo " + file + " (Debian package opencv-doc)");
  cv::Mat frame(frameHeight, frameWidth, CV_8UC3, cv::Scalar::all(128));
  const double scale = std::min(static_cast<double>(frameHeight) / photo.rows, static_cast<double>(frameWidth) / photo.cols);
  cv::Mat scaled;
  cv::resize(photo, scaled, {}, scale, scale, cv::INTER_AREA);
  scaled.copyTo(frame(cv::Rect((frameWidth - scaled.cols) / 2, (frameHeight - scaled.rows) / 2, scaled.cols, scaled.rows)));
  return frame;
}

// The frame as a camera would hand it over in NV12.
Frame nv12Of(const cv::Mat& bgr) {
  cv::Mat yuv;
  cv::cvtColor(bgr, yuv, cv::COLOR_BGR2YUV_I420);
  const int pixels = bgr.cols * bgr.rows;
  const std::uint8_t* u = yuv.data + pixels;
  const std::uint8_t* v = u + pixels / 4;
  std::vector<std::uint8_t> uv;
  for (int i = 0; i < pixels / 4; ++i) uv.insert(uv.end(), {u[i], v[i]});
  return Frame{bgr.cols, bgr.rows, PixelFormat::nv12, {Plane{{yuv.data, yuv.data + pixels}, bgr.cols}, Plane{uv, bgr.cols}}};
}

struct Bench {
  std::filesystem::path models = defaultModelFolder();
  Analyzer analyzer{models};
  FaceDetector faces{loadModel(models, "face_detection_front.onnx")};
  PoseEstimator pose{loadModel(models, "pose_landmark_lite.onnx")};
  PalmDetector palms{loadModel(models, "palm_detection_lite.onnx")};
  HandLandmarker hands{loadModel(models, "hand_landmark_lite.onnx")};
  FaceMesh mesh{loadModel(models, "face_landmark.onnx")};
  cv::Mat chin = frameOf("Cascade_Classifier_Tutorial_Result_Haar.jpg");  // face, body, a hand at the chin
  cv::Mat person = frameOf("230501201_1.jpg");                            // face and shoulders, no hand
  cv::Mat hand = frameOf("handSrc.jpg");                                  // one hand, no face
  Frame nv12 = nv12Of(person);
};

void registerAll(Bench& b) {
  const auto face = b.faces.detect(b.person);
  if (face.empty()) throw std::runtime_error("no face in the benchmark frame");
  const Region bodyRegion = poseRegionForFace(face[0].box);
  const auto handRegions = b.palms.detect(b.hand, 1);
  if (handRegions.empty()) throw std::runtime_error("no hand in the benchmark frame");
  const Region handRegion = handRegions[0];
  const auto describe = [&](const char* name, const cv::Mat& frame, bool landmarks) {
    const auto m = b.analyzer.analyzeImage(frame, landmarks).measurements;
    std::cout << name << ": " << m.faces.size() << " face(s), " << m.bodies.size() << " body, " << m.hands.size()
              << " hand(s)\n";
  };
  describe("hand-at-chin frame", b.chin, false);
  describe("person frame", b.person, false);
  describe("hand frame", b.hand, false);

  const auto add = [](const char* name, auto&& body) {
    benchmark::RegisterBenchmark(name, [body](benchmark::State& state) {
      for (auto _ : state) body();
    })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(15)
        ->ReportAggregatesOnly(true);
  };
  add("analyze/face, body and a hand at the chin", [&b] { benchmark::DoNotOptimize(b.analyzer.analyzeImage(b.chin, false)); });
  add("analyze/face and body, no hand", [&b] { benchmark::DoNotOptimize(b.analyzer.analyzeImage(b.person, false)); });
  add("analyze/face and body with landmarks", [&b] { benchmark::DoNotOptimize(b.analyzer.analyzeImage(b.person, true)); });
  add("analyze/hand without a face", [&b] { benchmark::DoNotOptimize(b.analyzer.analyzeImage(b.hand, false)); });
  add("model/face detection", [&b] { benchmark::DoNotOptimize(b.faces.detect(b.person)); });
  add("model/pose landmarks", [&b, bodyRegion] { benchmark::DoNotOptimize(b.pose.estimate(b.person, bodyRegion)); });
  add("model/hand landmarks (one hand)", [&b, handRegion] { benchmark::DoNotOptimize(b.hands.estimate(b.hand, handRegion)); });
  add("model/palm detection", [&b] { benchmark::DoNotOptimize(b.palms.detect(b.hand, 2)); });
  add("model/face mesh", [&b, r = faceMeshRegion(face[0])] { benchmark::DoNotOptimize(b.mesh.estimate(b.person, r)); });
  add("frame/nv12 to bgr and mean luma", [&b] { benchmark::DoNotOptimize(meanLuma(toBgr(b.nv12))); });
}

}  // namespace

int main(int argc, char** argv) {
  cv::setNumThreads(1);
  benchmark::Initialize(&argc, argv);
  std::unique_ptr<Bench> bench;
  try {
    bench = std::make_unique<Bench>();
    registerAll(*bench);
  } catch (const std::exception& e) {
    std::cerr << "bench_analyze: " << e.what() << "\n";
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
