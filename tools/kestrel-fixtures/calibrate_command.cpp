// kestrel-fixtures calibrate: a calibration made from still images instead of the camera.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <variant>
#include <vector>

#include "core/base/uuid.hpp"
#include "core/calibration/calibration.hpp"
#include "core/log/baseline_store.hpp"
#include "core/model/thresholds.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "vision/analyzer.hpp"
#include "vision/vision_error.hpp"

namespace kestrel::fixtures {

namespace {

struct CalibrateOptions {
  std::vector<std::string> sit;
  std::vector<std::string> lean;
  std::string camera;
  std::string out;
};

std::vector<cv::Mat> readImages(const std::vector<std::string>& paths) {
  std::vector<cv::Mat> images;
  for (const auto& path : paths) {
    cv::Mat image = cv::imread(path, cv::IMREAD_COLOR);
    if (image.empty()) throw UsageError("cannot read image " + path);
    images.push_back(std::move(image));
  }
  return images;
}

// The frames of one capture step: the images in turn, as often as needed for a full step. A
// still image looks the same in every frame the camera would take of it, so each is analysed
// once.
std::vector<Measurements> captureFrames(Analyzer& analyzer, const std::vector<cv::Mat>& images) {
  std::vector<Measurements> analysed;
  for (const cv::Mat& image : images) analysed.push_back(analyzer.analyzeImage(image, false).measurements);
  std::vector<Measurements> frames;
  const std::size_t count = std::max(analysed.size(), static_cast<std::size_t>(Calibration::framesPerStep));
  for (std::size_t i = 0; i < count; ++i) frames.push_back(analysed[i % analysed.size()]);
  return frames;
}

int runCalibrate(const CalibrateOptions& options) {
  const std::vector<cv::Mat> sitting = readImages(options.sit);
  const std::vector<cv::Mat> leaning = readImages(options.lean);
  std::unique_ptr<Analyzer> analyzer;
  try {
    analyzer = std::make_unique<Analyzer>();
  } catch (const VisionError& e) {
    std::cerr << "kestrel-fixtures: " << e.what() << "\n";
    return exitFailed;
  }
  const Thresholds thresholds;
  std::vector<Measurements> sitFrames, leanFrames;
  try {
    sitFrames = captureFrames(*analyzer, sitting);
    if (!leaning.empty()) leanFrames = captureFrames(*analyzer, leaning);
  } catch (const VisionError& e) {
    std::cerr << "kestrel-fixtures: " << e.what() << "\n";
    return exitFailed;
  }

  const auto baseline = Calibration::baseline(sitFrames, ScreenRole::laptop, thresholds);
  if (const auto* failure = std::get_if<Calibration::Failure>(&baseline)) {
    std::cerr << "kestrel-fixtures: sitting well: " << Calibration::message(*failure) << "\n";
    return exitFailed;
  }
  const Baseline& laptop = std::get<Baseline>(baseline);
  // Without lean-in images the reach is the least the head judgement works with: it raises
  // any smaller reach to these values anyway.
  Reach reach{thresholds.minFaceReach, thresholds.minNoseReach};
  if (!leanFrames.empty()) {
    const auto measured = Calibration::reach(leanFrames, laptop, thresholds);
    if (const auto* failure = std::get_if<Calibration::Failure>(&measured)) {
      std::cerr << "kestrel-fixtures: leaning in: " << Calibration::message(*failure) << "\n";
      return exitFailed;
    }
    reach = std::get<Reach>(measured);
  }

  const BaselineSet set(randomUUID(), options.camera, {laptop}, reach);
  const std::filesystem::path out(options.out);
  try {
    if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path());
    BaselineStore{out}.save(set);
  } catch (const std::exception& e) {
    std::cerr << "kestrel-fixtures: cannot write " << options.out << ": " << e.what() << "\n";
    return exitFailed;
  }
  std::cout << "calibration " << set.id << " shoulders=" << (laptop.noseShoulderRatio ? "yes" : "no")
            << " reach=" << (leanFrames.empty() ? "least" : "measured") << " → " << options.out << "\n";
  return exitOk;
}

}  // namespace

void addCalibrateCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<CalibrateOptions>();
  CLI::App* command = app.add_subcommand(
      "calibrate",
      "Make a calibration (baselines.json) from still images, as the calibration window makes one from the "
      "camera: the sit-well images give the baseline, the lean-in images the reach. Fewer images than a "
      "capture step takes are used in turn. Without lean-in images the reach is the least the judgement "
      "uses.");
  command->add_option("--sit", options->sit, "Images of sitting well (any format OpenCV reads)")->required();
  command->add_option("--lean", options->lean, "Images of leaning in toward the screen");
  command->add_option("--camera", options->camera, "The camera identifier to record; empty pins no camera")
      ->required();
  command->add_option("--out", options->out, "The calibration file to write")->required();
  command->callback([options, &status] { status = runCalibrate(*options); });
}

}  // namespace kestrel::fixtures
