// kestrel-fixtures convert: analyses every frame of fixture videos into their skeleton files.
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <opencv2/videoio.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/base/file_io.hpp"
#include "core/fixtures/fixture_paths.hpp"
#include "core/fixtures/fixture_status.hpp"
#include "core/base/sha256.hpp"
#include "core/fixtures/skeleton_file.hpp"
#include "core/fixtures/video_index.hpp"
#include "core/fixtures/vision_revisions.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"
#include "tools/kestrel-fixtures/progress_display.hpp"
#include "vision/analyzer.hpp"
#include "vision/vision_error.hpp"

namespace kestrel::fixtures {

namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
  std::string video;
  std::string out;
  std::string index;
  std::string videos;
  std::string skeletons;
  bool force = false;
};

// A video that could not be converted; the message names what went wrong, not the video.
struct ConvertError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The frame's time in seconds: the decoder's time stamp, or its position at the nominal
// rate when the container gives no usable stamps.
double frameTime(const cv::VideoCapture& capture, std::int64_t position, double fps, double previous) {
  const double stamp = capture.get(cv::CAP_PROP_POS_MSEC) / 1000.0;
  if (position == 0) return std::max(stamp, 0.0);
  if (stamp > previous) return stamp;
  return fps > 0 ? static_cast<double>(position) / fps : previous;
}

// Every frame of the video through the analyzer, with landmarks, as a skeleton file.
SkeletonFile analyzeVideo(Analyzer& analyzer, const fs::path& video, const std::string& sha256,
                          const std::string& osBuild) {
  cv::VideoCapture capture;
  try {
    capture.open(video.string(), cv::CAP_FFMPEG);
  } catch (const cv::Exception&) {
    capture.release();
  }
  if (!capture.isOpened()) throw ConvertError("cannot be opened as a video");
  const double counted = capture.get(cv::CAP_PROP_FRAME_COUNT);
  const double fps = capture.get(cv::CAP_PROP_FPS);
  const std::optional<std::int64_t> total =
      counted >= 1 ? std::optional<std::int64_t>(static_cast<std::int64_t>(counted)) : std::nullopt;

  SkeletonFile file;
  file.header = {SkeletonFile::currentSchema, sha256, VisionRevisions::current(), osBuild};
  ProgressDisplay display(video.filename().string(), total);
  cv::Mat bgr;
  double previous = 0;
  while (capture.read(bgr)) {
    const auto position = static_cast<std::int64_t>(file.frames.size());
    const double time = frameTime(capture, position, fps, previous);
    previous = time;
    Analyzer::Output output;
    try {
      output = analyzer.analyzeImage(bgr, true);
    } catch (const VisionError& e) {
      throw ConvertError("frame " + std::to_string(position) + ": " + e.what());
    }
    file.frames.push_back({time, std::move(output.measurements), std::move(output.landmarks)});
    display.advance();
  }
  if (file.frames.empty()) throw ConvertError("holds no frame that can be decoded");
  const Progress done = display.finish();
  std::cout << video.filename().string() << ": " << done.summary();
  return file;
}

// Converts one video; prints its finish line. False (with the reason on standard error)
// when it could not be converted; an earlier skeleton file is then left as it was.
bool convertOne(const std::function<Analyzer&()>& analyzer, const fs::path& video, const std::string& sha256,
                const std::string& osBuild, const fs::path& out) {
  try {
    const SkeletonFile file = analyzeVideo(analyzer(), video, sha256, osBuild);
    writeJSON(Json(file), out);
    std::cout << " \u2192 " << out.string() << std::endl;
    return true;
  } catch (const ConvertError& e) {
    std::cerr << "kestrel-fixtures: " << video.string() << " " << e.what() << "\n";
  } catch (const std::exception& e) {
    std::cout << std::endl;
    std::cerr << "kestrel-fixtures: cannot write " << out.string() << ": " << e.what() << "\n";
  }
  return false;
}

int runConvert(const ConvertOptions& options) {
  std::unique_ptr<Analyzer> loaded;
  const auto analyzer = [&]() -> Analyzer& {
    if (!loaded) loaded = std::make_unique<Analyzer>();
    return *loaded;
  };
  const std::string root = fixtureRoot();
  const std::string skeletons = options.skeletons.empty() ? FixturePaths::skeletons(root) : options.skeletons;
  const std::string osBuild = currentOSBuild();
  try {
    if (!options.video.empty()) {
      const auto sha256 = sha256OfFile(options.video);
      if (!sha256) throw UsageError("cannot read video " + options.video);
      const fs::path out =
          options.out.empty() ? fs::path(skeletons) / SkeletonFile::fileName(options.video) : fs::path(options.out);
      return convertOne(analyzer, options.video, *sha256, osBuild, out) ? exitOk : exitFailed;
    }

    const auto index = readFileAs<VideoIndex>(options.index.empty() ? FixturePaths::index(root) : options.index,
                                              "video index");
    const fs::path videos = options.videos.empty() ? FixturePaths::videos(root) : options.videos;
    std::map<std::string, std::string> indexed;  // each video once, with the hash of its first range
    for (const auto& range : index.ranges) indexed.emplace(range.video, range.sha256);
    if (indexed.empty()) {
      std::cout << "no indexed videos\n";
      return exitOk;
    }
    std::int64_t failed = 0;
    for (const auto& [name, sha256] : indexed) {
      const fs::path out = fs::path(skeletons) / SkeletonFile::fileName(name);
      if (!options.force && skeletonStatus(out.string(), sha256, osBuild).isReady()) {
        std::cout << name << ": ready, kept\n";
        continue;
      }
      const fs::path video = videos / name;
      const auto actual = sha256OfFile(video);
      if (!actual) {
        std::cerr << "kestrel-fixtures: " << video.string() << " cannot be read\n";
        ++failed;
      } else if (*actual != sha256) {
        std::cerr << "kestrel-fixtures: " << video.string() << " is not the video indexed (its SHA-256 differs)\n";
        ++failed;
      } else if (!convertOne(analyzer, video, sha256, osBuild, out)) {
        ++failed;
      }
    }
    return failed == 0 ? exitOk : exitFailed;
  } catch (const VisionError& e) {
    std::cerr << "kestrel-fixtures: " << e.what() << "\n";
    return exitFailed;
  }
}

}  // namespace

void addConvertCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ConvertOptions>();
  CLI::App* command = app.add_subcommand(
      "convert",
      "Analyse every frame of each indexed fixture video (or of one video) into its skeleton file, with face "
      "landmarks. Videos whose skeleton file is ready are kept unless --force is given. A video that fails "
      "leaves its earlier skeleton file as it was. Prints one line per video: frames, time and rate, and the "
      "file written.");
  auto* video = command->add_option("--video", options->video, "Convert only this video (indexed or not)");
  command->add_option("--out", options->out,
                      "Where to write the skeleton file of --video (default: its name in the skeleton folder)")
      ->needs(video);
  command->add_option("--index", options->index, "The index file (default: index.json in the fixture folder)")
      ->excludes(video);
  command->add_option("--videos", options->videos, "The folder of the indexed videos (default: videos in the fixture folder)")
      ->excludes(video);
  command->add_option("--skeletons", options->skeletons,
                      "The folder of skeleton files (default: skeletons in the fixture folder)");
  command->add_flag("--force", options->force, "Convert videos whose skeleton file is ready, too");
  command->callback([options, &status] { status = runConvert(*options); });
}

}  // namespace kestrel::fixtures
