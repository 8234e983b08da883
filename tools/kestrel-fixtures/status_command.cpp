// kestrel-fixtures status: whether each indexed video's skeleton file can be replayed.
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/file_io.hpp"
#include "core/fixtures/fixture_paths.hpp"
#include "core/fixtures/fixture_status.hpp"
#include "core/fixtures/skeleton_file.hpp"
#include "core/fixtures/video_index.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"

namespace kestrel::fixtures {

namespace {

struct StatusOptions {
  std::string index;
  std::string skeletons;
  bool required = false;
};

int runStatus(const StatusOptions& options) {
  const std::string root = fixtureRoot();
  const auto index = readFileAs<VideoIndex>(options.index.empty() ? FixturePaths::index(root) : options.index,
                                            "video index");
  const std::string skeletons = options.skeletons.empty() ? FixturePaths::skeletons(root) : options.skeletons;
  // Each video once, with the hash of its first range.
  std::map<std::string, std::string> videos;
  for (const auto& range : index.ranges) videos.emplace(range.video, range.sha256);

  const std::string osBuild = currentOSBuild();
  std::vector<std::pair<std::string, FixtureStatus>> statuses;
  for (const auto& [video, sha256] : videos) {
    const auto status = skeletonStatus(skeletons + "/" + SkeletonFile::fileName(video), sha256, osBuild);
    std::cout << video << ": " << status.description() << "\n";
    statuses.emplace_back(video, status);
  }
  const auto decision = FixtureStatus::decide(statuses, options.required);
  if (std::holds_alternative<FixtureStatus::Decision::Run>(decision.value)) {
    std::cout << "run\n";
    return exitOk;
  }
  if (const auto* skip = std::get_if<FixtureStatus::Decision::Skip>(&decision.value)) {
    std::cout << "skip: " << skip->message << "\n";
    return exitOk;
  }
  std::cout << "fail: " << std::get<FixtureStatus::Decision::Fail>(decision.value).message << "\n";
  return exitFailed;
}

}  // namespace

void addStatusCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<StatusOptions>();
  CLI::App* command = app.add_subcommand(
      "status",
      "List each indexed video with the status of its skeleton file (ready, missing, wrong schema or stale), "
      "then the decision for a replay: \"run\", or \"skip: \" or \"fail: \" with the reason.");
  command->add_option("--index", options->index, "The index file (default: index.json in the fixture folder)");
  command->add_option("--skeletons", options->skeletons,
                      "The folder of skeleton files (default: skeletons in the fixture folder)");
  command->add_flag("--required", options->required, "A replay is required: an unusable file fails (exit 1)");
  command->callback([options, &status] { status = runStatus(*options); });
}

}  // namespace kestrel::fixtures
