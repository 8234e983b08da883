// kestrel-fixtures report: how the classifier's verdicts on the fixture videos compare with
// what the videos show.
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "core/fixtures/accuracy_report.hpp"
#include "core/log/baseline_store.hpp"
#include "core/fixtures/fixture_paths.hpp"
#include "core/settings/setting_value.hpp"
#include "core/fixtures/skeleton_file.hpp"
#include "core/fixtures/video_index.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"

namespace kestrel::fixtures {

namespace {

struct ReportOptions {
  std::string index;
  std::string skeletons;
  std::string baselines;
  std::string settings;
};

int runReport(const ReportOptions& options) {
  const std::string root = fixtureRoot();
  const auto index = readFileAs<VideoIndex>(options.index.empty() ? FixturePaths::index(root) : options.index,
                                            "video index");
  const std::string folder = options.skeletons.empty() ? FixturePaths::skeletons(root) : options.skeletons;
  AppSettings settings;
  if (!options.settings.empty()) {
    const Json json = readJSONFile(options.settings, "settings file");
    if (!json.is_object()) throw UsageError("settings file " + options.settings + " is not a JSON object");
    settings = AppSettings::fromValues(settingValuesFromJson(json));
  }
  const Thresholds thresholds = AccuracyReport::checkThresholds(settings);

  // Every indexed video whose skeleton file is ready; the others are named and left out.
  std::map<std::string, std::string> videos;
  for (const auto& range : index.ranges) videos.emplace(range.video, range.sha256);
  const std::string osBuild = currentOSBuild();
  std::map<std::string, SkeletonFile> skeletons;
  for (const auto& [video, sha256] : videos) {
    const std::string path = folder + "/" + SkeletonFile::fileName(video);
    const auto status = skeletonStatus(path, sha256, osBuild);
    if (!status.isReady()) {
      std::cout << video << ": " << status.description() << ", left out\n";
      continue;
    }
    skeletons.emplace(video, readFileAs<SkeletonFile>(path, "skeleton file"));
  }

  BaselineSet baselines;
  if (!options.baselines.empty()) {
    readJSONFile(options.baselines, "calibration file");
    auto stored = BaselineStore{options.baselines}.load();
    if (!stored) throw UsageError(options.baselines + " is not a calibration (baselines of schema 3, at least one)");
    baselines = std::move(*stored);
    std::cout << "calibration: " << options.baselines << "\n";
  } else {
    auto calibration = AccuracyReport::calibrate(index, skeletons, thresholds);
    if (const auto* error = std::get_if<std::string>(&calibration)) {
      std::cerr << "kestrel-fixtures: no calibration from the fixtures: " << *error << " (or give --baselines)\n";
      return exitFailed;
    }
    baselines = std::move(std::get<BaselineSet>(calibration));
    const Baseline& b = baselines.baselines.front();
    std::printf("calibration: from the fixtures, face height %.3f, yaw %.1f\u00b0, face growth %.3f, nose drop %.3f\n",
                b.faceHeight, b.yaw, baselines.reach.faceGrowth, baselines.reach.noseDrop);
    std::fflush(stdout);
  }
  std::cout << "thresholds: " << thresholds.id << ", a check every " << thresholds.checkInterval << " s\n\n";

  const auto replays = AccuracyReport::replayLabelled(index, skeletons, baselines, settings);
  std::cout << "Labelled checks against the replayed verdicts\n"
            << AccuracyReport::agreementText(AccuracyReport::agreement(index.labels, replays.checks));
  for (const auto& note : replays.notes) std::cout << "not replayed: " << note << "\n";
  std::cout << "\nFrames of the posed ranges, each judged on its own\n"
            << AccuracyReport::rangeText(AccuracyReport::tallyRanges(index, skeletons, baselines, thresholds));
  return exitOk;
}

}  // namespace

void addReportCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ReportOptions>();
  CLI::App* command = app.add_subcommand(
      "report",
      "Replay every indexed range that holds labelled checks and print, per label class, how often the replayed "
      "verdict agrees with the labels; then how the frames of the calibration and hand-at-chin ranges were judged "
      "one by one. Judges against the calibration of the first \"sit well \u00b7 laptop\" and \"lean all the way "
      "in\" ranges unless --baselines is given. Videos whose skeleton file is not ready are left out.");
  command->add_option("--index", options->index, "The index file (default: index.json in the fixture folder)");
  command->add_option("--skeletons", options->skeletons,
                      "The folder of skeleton files (default: skeletons in the fixture folder)");
  command->add_option("--baselines", options->baselines, "Judge with this calibration (a baselines.json)");
  command->add_option("--settings", options->settings,
                      "A JSON object with stored settings (missing keys take their defaults)");
  command->callback([options, &status] { status = runReport(*options); });
}

}  // namespace kestrel::fixtures
