// The program a person starts: answers the command line's own questions (help, version, the
// commands that talk to a running Kestrel) with nothing but the bus and the logic library, and
// hands every other start to the tray program, which loads the camera, the analyzer and the
// widgets.

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/control_client.hpp"
#include "core/launch/app_info.hpp"
#include "core/launch/control_command.hpp"
#include "platform/build_info.hpp"
#include "platform/locations.hpp"

namespace {

using namespace kestrel;

constexpr std::string_view runningId = KESTREL_RUNNING_ID;

constexpr std::string_view usage = R"(Usage: kestrel [OPTION]...
       kestrel COMMAND
Watches how you sit through the laptop camera and lives in the tray.

Commands for the Kestrel that runs (DURATION like 90s, 30m, 1h or 1h30m, at most 24h):
  pause [DURATION]     stop checking for that long, or until resumed
  resume               check again
  snooze [DURATION]    no hand-at-chin alerts for that long (30 min without one)
  check                take the next check now
  status [--json]      the status line, today's score and the last check; with --json one
                       JSON object, also when Kestrel is not running
  open                 show the window
  calibrate            open the calibration

Options:
  --camera-file PATH   play this video as the camera, looping, instead of a real one
  --demo               the whole loop without a desktop or camera: checks every 15 s on
                       the video of --camera-file, with a stand-in calibration and a
                       temporary data folder, printed to the terminal
  --exit-after SECONDS quit after this long (with --demo)
  --smoke              print the launch line and exit
  --perf-live          a ten-minute measuring run that writes nothing
  --simulate-camera-failure
                       act as if the camera failed after 30 s
  --help               show this help and exit
  --version            show the version and exit
)";

// The tray program: beside this one in a build, in the library folder once installed.
std::filesystem::path trayProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  const std::filesystem::path beside = self / KESTREL_TRAY_NAME;
  if (std::filesystem::exists(beside, error)) return beside;
  return (self / KESTREL_TRAY_FROM_PROGRAM / KESTREL_TRAY_NAME).lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string& a : arguments) {
    if (a == "--help") {
      std::cout << usage;
      return 0;
    }
    if (a == "--version") {
      const std::string commit(BuildInfo::commit());
      std::cout << AppInfo::name << " "
                << AppInfo::versionLine(commit.empty() ? std::nullopt : std::optional<std::string>(commit),
                                        std::string(BuildInfo::date()), runningId)
                << "\n";
      return 0;
    }
  }
  if (auto parsed = ControlCommand::parse(arguments)) {
    if (const auto* problem = std::get_if<std::string>(&*parsed)) {
      std::cerr << *problem << "\n";
      return 2;
    }
    QCoreApplication qt(argc, argv);
    ControlClient client(QDBusConnection::sessionBus(), std::string(runningId),
                         Locations::fromEnvironment().dataFolder);
    return client.run(std::get<ControlCommand>(*parsed), std::cout, std::cerr);
  }

  const std::string tray = trayProgram().string();
  std::vector<char*> trayArguments(argv, argv + argc + 1);
  ::execv(tray.c_str(), trayArguments.data());
  std::cerr << "kestrel: cannot start the tray program " << tray << ": " << std::strerror(errno) << "\n";
  return 1;
}
