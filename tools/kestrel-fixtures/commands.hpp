#pragma once

#include <CLI/CLI.hpp>

namespace kestrel::fixtures {

// Exit status of a command: 0 done, 1 failed, 2 bad arguments or unreadable input.
enum ExitStatus { exitOk = 0, exitFailed = 1, exitUsage = 2 };

// Thrown by a command for a usage fault found after parsing (an unreadable file).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Each subcommand lives in its own source file and adds itself to the program here. Its
// callback runs when the subcommand is chosen and sets the exit status.
void addAnalyzeCommand(CLI::App& app, int& status);
void addValidateCommand(CLI::App& app, int& status);
void addStatusCommand(CLI::App& app, int& status);
void addReplayCommand(CLI::App& app, int& status);
void addTodayCommand(CLI::App& app, int& status);
void addConvertCommand(CLI::App& app, int& status);
void addReportCommand(CLI::App& app, int& status);
void addCalibrateCommand(CLI::App& app, int& status);

}  // namespace kestrel::fixtures
