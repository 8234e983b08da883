// kestrel-fixtures today: what the window's Today tab shows for one day of a log folder.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "core/log/check_log_store.hpp"
#include "core/monitor/status_texts.hpp"
#include "core/log/today_log.hpp"
#include "tools/kestrel-fixtures/commands.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"

namespace kestrel::fixtures {

namespace {

struct TodayOptions {
  std::string logDir;
  std::string at;
  std::string zone = "UTC";
};

Instant currentInstant() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

int runToday(const TodayOptions& options) {
  std::error_code error;
  if (!std::filesystem::is_directory(options.logDir, error)) {
    throw UsageError("--log-dir: " + options.logDir + " is not a folder");
  }
  const Instant now = options.at.empty() ? currentInstant() : parseTime(options.at, "--at");
  const CheckLogStore log{std::filesystem::path(options.logDir) / "logs", LogClock{parseZone(options.zone, "--tz")}};
  const TodayLog today = TodayLog::read(log, {}, true, now);
  std::cout << "Today's score: " << TodaySummary::percentText(today.scorePercent) << "\n";
  std::cout << TodaySummary::targetText << "\n";
  if (today.alerts.empty()) std::cout << AlertHistory::emptyText << "\n";
  for (const auto& row : today.alerts) std::cout << row.text() << "\n";
  return exitOk;
}

}  // namespace

void addTodayCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<TodayOptions>();
  CLI::App* command = app.add_subcommand(
      "today",
      "Show what the Today tab would show for one day of the logs under DIR: the score, the target and the "
      "alerts of the day, newest first.");
  command->add_option("--log-dir", options->logDir, "The folder holding logs/<day>.jsonl")->required();
  command->add_option("--at", options->at, "A moment of the day to show (RFC 3339; default: now)");
  command->add_option("--tz", options->zone, "The time zone that names the days (IANA name)")->capture_default_str();
  command->callback([options, &status] { status = runToday(*options); });
}

}  // namespace kestrel::fixtures
