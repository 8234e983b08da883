// kestrel-fixtures validate: checks the video index of the fixtures.
#include <iostream>
#include <memory>
#include <string>

#include "core/fixtures/fixture_paths.hpp"
#include "core/fixtures/video_index.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"

namespace kestrel::fixtures {

namespace {

int runValidate(const std::string& indexPath) {
  const std::string path = indexPath.empty() ? FixturePaths::index(fixtureRoot()) : indexPath;
  const auto index = readFileAs<VideoIndex>(path, "video index");
  const auto problems = index.problems();
  for (const auto& problem : problems) std::cout << problem.description() << "\n";
  if (!problems.empty()) return exitFailed;
  std::cout << path << ": " << index.ranges.size() << " ranges, " << index.labels.size() << " labels, no problems\n";
  return exitOk;
}

}  // namespace

void addValidateCommand(CLI::App& app, int& status) {
  auto index = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "validate",
      "Check the video index: prints every problem, one a line (such as badRange(3), naming the range or label "
      "by its position from 0), and exits with 1 when there is any.");
  command->add_option("--index", *index, "The index file (default: index.json in the fixture folder)");
  command->callback([index, &status] { status = runValidate(*index); });
}

}  // namespace kestrel::fixtures
