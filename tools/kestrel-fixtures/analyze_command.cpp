// kestrel-fixtures analyze: runs the vision analyzer on still images.
#include <filesystem>
#include <iostream>
#include <memory>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

#include "core/model/thresholds.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/drawing.hpp"
#include "vision/analyzer.hpp"
#include "vision/vision_error.hpp"

namespace kestrel::fixtures {

namespace {

struct AnalyzeOptions {
  std::vector<std::string> images;
  std::string draw;
  bool landmarks = false;
};

// The picture path for the i-th of n images: the path itself for a single image, else
// the path with "-<i>" (counting from 1) before its extension.
std::filesystem::path picturePath(const std::filesystem::path& path, std::size_t i, std::size_t n) {
  if (n == 1) return path;
  auto numbered = path;
  numbered.replace_filename(path.stem().string() + "-" + std::to_string(i + 1) + path.extension().string());
  return numbered;
}

int runAnalyze(const AnalyzeOptions& options) {
  std::vector<cv::Mat> images;
  for (const auto& path : options.images) {
    cv::Mat image = cv::imread(path, cv::IMREAD_COLOR);
    if (image.empty()) throw UsageError("cannot read image " + path);
    images.push_back(std::move(image));
  }
  std::unique_ptr<Analyzer> analyzer;
  try {
    analyzer = std::make_unique<Analyzer>();
  } catch (const VisionError& e) {
    std::cerr << "kestrel-fixtures: " << e.what() << "\n";
    return exitFailed;
  }
  for (std::size_t i = 0; i < images.size(); ++i) {
    Analyzer::Trace trace;
    Analyzer::Output output;
    try {
      output = analyzer->analyzeImage(images[i], options.landmarks, &trace);
    } catch (const VisionError& e) {
      std::cerr << "kestrel-fixtures: " << options.images[i] << ": " << e.what() << "\n";
      return exitFailed;
    }
    Json line = output.measurements;
    if (options.landmarks) line = Json{{"measurements", output.measurements}, {"landmarks", output.landmarks}};
    std::cout << line.dump() << "\n";
    if (!options.draw.empty()) {
      const auto path = picturePath(options.draw, i, images.size());
      const cv::Mat picture = drawAnalysis(images[i], output, trace, Thresholds().minJointConfidence);
      bool written = false;
      try {
        written = cv::imwrite(path.string(), picture);
      } catch (const cv::Exception&) {
        written = false;
      }
      if (!written) {
        std::cerr << "kestrel-fixtures: cannot write " << path.string() << "\n";
        return exitFailed;
      }
    }
  }
  return exitOk;
}

}  // namespace

void addAnalyzeCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<AnalyzeOptions>();
  CLI::App* command = app.add_subcommand(
      "analyze",
      "Analyse still images as camera frames. Prints one line of JSON per image: its Measurements, or with "
      "--landmarks an object with \"measurements\" and \"landmarks\". Coordinates are pixels from the image's "
      "lower-left corner.");
  command->add_option("IMAGE", options->images, "Images to analyse (any format OpenCV reads)")->required();
  command->add_option("--draw", options->draw,
                      "Write a picture of what was found over the image to this PNG file (several images: "
                      "FILE-1.png, FILE-2.png, ...)");
  command->add_flag("--landmarks", options->landmarks, "Also find the face landmark regions of the tallest face");
  command->callback([options, &status] { status = runAnalyze(*options); });
}

}  // namespace kestrel::fixtures
