// kestrel-fixtures replay: runs one skeleton file through the check pipeline and writes the
// day logs the application would have written.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "core/settings/app_settings.hpp"
#include "core/log/baseline_store.hpp"
#include "core/log/check_log_store.hpp"
#include "core/settings/setting_value.hpp"
#include "core/fixtures/skeleton_replay.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"

namespace kestrel::fixtures {

namespace {

struct ReplayOptions {
  std::string skeleton;
  std::string baselines;
  std::string settings;
  std::string epoch = "2026-01-05T09:00:00Z";
  std::string zone = "UTC";
  std::optional<double> start;
  std::optional<double> end;
  std::string logDir;
};

BaselineSet readBaselines(const std::string& path) {
  readJSONFile(path, "calibration file");  // a clear error for a file that is missing or not JSON
  auto baselines = BaselineStore{path}.load();
  if (!baselines) throw UsageError(path + " is not a calibration (baselines of schema 3, at least one)");
  return std::move(*baselines);
}

AppSettings readSettings(const std::string& path) {
  if (path.empty()) return AppSettings();
  const Json json = readJSONFile(path, "settings file");
  if (!json.is_object()) throw UsageError("settings file " + path + " is not a JSON object");
  return AppSettings::fromValues(settingValuesFromJson(json));
}

int runReplay(const ReplayOptions& options) {
  const auto skeleton = readFileAs<SkeletonFile>(options.skeleton, "skeleton file");
  const BaselineSet baselines = readBaselines(options.baselines);
  SkeletonReplay::Options replay;
  replay.settings = readSettings(options.settings);
  replay.epoch = parseTime(options.epoch, "--epoch");
  replay.calendar = parseZone(options.zone, "--tz");
  replay.start = options.start;
  replay.end = options.end;

  const CheckLogStore log{std::filesystem::path(options.logDir) / "logs", LogClock{replay.calendar}};
  std::int64_t failedWrites = 0;
  const auto write = [&](const SkeletonReplay::Line& line, Instant at) {
    try {
      std::visit([&](const auto& l) { log.append(l, at); }, line);
    } catch (const std::exception& e) {
      if (failedWrites++ == 0) std::cerr << "kestrel-fixtures: log write failed: " << e.what() << "\n";
    }
  };
  const auto result = SkeletonReplay::run(skeleton, baselines, replay, write);
  if (std::holds_alternative<SkeletonReplay::NoFrames>(result)) {
    throw UsageError("skeleton file " + options.skeleton + " has no frames");
  }
  if (const auto* tooShort = std::get_if<ReplaySchedule::TooShort>(&result)) {
    throw UsageError("the stretch to replay holds " + std::to_string(tooShort->checks) +
                     " checks; at least 3 are needed (give a longer --start/--end or a longer video)");
  }
  const auto& summary = std::get<SkeletonReplay::Summary>(result);
  std::cout << "replay checks=" << summary.checks << " alerts=" << summary.alerts << "\n";
  if (failedWrites > 0) {
    std::cerr << "kestrel-fixtures: " << failedWrites << " log lines could not be written\n";
    return exitFailed;
  }
  return exitOk;
}

}  // namespace

void addReplayCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ReplayOptions>();
  CLI::App* command = app.add_subcommand(
      "replay",
      "Replay one skeleton file through the check pipeline and the monitor, and write the day logs the "
      "application would have written (DIR/logs/<day>.jsonl). Video time x is the instant --epoch plus x seconds; "
      "checks follow the check interval of the settings, with a tick every whole second between them. Prints "
      "\"replay checks=N alerts=M\".");
  command->add_option("--skeleton", options->skeleton, "The skeleton file to replay")->required();
  command->add_option("--baselines", options->baselines, "The calibration to judge with (a baselines.json)")
      ->required();
  command->add_option("--settings", options->settings,
                      "A JSON object with stored settings (missing keys take their defaults)");
  command->add_option("--epoch", options->epoch, "The instant of video time 0 (RFC 3339)")->capture_default_str();
  command->add_option("--tz", options->zone, "The time zone of stamps and day names (IANA name)")
      ->capture_default_str();
  command->add_option("--start", options->start, "Video seconds where the replay starts (default: the first frame)");
  command->add_option("--end", options->end, "Video seconds where the replay ends (default: the last frame)");
  command->add_option("--log-dir", options->logDir, "The folder under which logs/<day>.jsonl are written")
      ->required();
  command->callback([options, &status] { status = runReplay(*options); });
}

}  // namespace kestrel::fixtures
