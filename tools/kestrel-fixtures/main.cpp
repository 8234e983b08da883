// kestrel-fixtures: developer tools for pose fixtures and the vision analyzer.
#include <CLI/CLI.hpp>
#include <iostream>
#include <opencv2/core/utils/logger.hpp>

#include "tools/kestrel-fixtures/commands.hpp"

int main(int argc, char** argv) {
  using namespace kestrel::fixtures;
  // Failures are reported by the commands themselves, once, in their own words.
  cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_ERROR);
  CLI::App app{"Developer tools for Kestrel's pose fixtures and its vision analyzer."};
  app.name("kestrel-fixtures");
  app.require_subcommand(1);
  int status = exitOk;
  addAnalyzeCommand(app, status);
  addValidateCommand(app, status);
  addStatusCommand(app, status);
  addReplayCommand(app, status);
  addTodayCommand(app, status);
  addConvertCommand(app, status);
  addReportCommand(app, status);
  addCalibrateCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return exitUsage;
  } catch (const UsageError& e) {
    std::cerr << "kestrel-fixtures: " << e.what() << "\n";
    return exitUsage;
  }
  return status;
}
