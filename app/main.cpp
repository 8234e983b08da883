// The entry of the tray program, which `kestrel` starts for every run that is not a command to
// a running Kestrel (help, version and those commands never reach here): reads the command
// line into the run's plan, runs the one-time import of the previous build's data, and then
// either prints one line and exits or runs the tray application until it is told to quit.

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/application.hpp"
#include "platform/build_info.hpp"
#include "app/data_folder.hpp"
#include "app/single_instance.hpp"
#include "camera/file_camera_loader.hpp"
#include "core/import/legacy_import.hpp"
#include "core/launch/app_info.hpp"
#include "core/launch/launch_plan.hpp"
#include "core/log/check_line.hpp"
#include "core/log/event_line.hpp"
#include "core/log/app_state.hpp"
#include "core/log/baseline_store.hpp"
#include "core/settings/settings_file.hpp"
#include "platform/journal_log.hpp"
#include "vision/model_store.hpp"

namespace {

using namespace kestrel;

constexpr std::string_view runningId = KESTREL_RUNNING_ID;

// The write end of the self-pipe: a termination signal only writes its number there, and
// the event loop does the rest.
int signalWriteFd = -1;

void onSignal(int number) {
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const auto written = ::write(signalWriteFd, &byte, 1);
}

int installSignalPipe() {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return -1;
  signalWriteFd = fds[0];
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
  return fds[1];
}

std::optional<std::string> commit() {
  return BuildInfo::commit().empty() ? std::nullopt : std::optional<std::string>(BuildInfo::commit());
}

// Where an installed Kestrel keeps its shared files: <prefix>/share/kestrel, found from where
// the program lies (in its own folder under the library folder).
std::filesystem::path installedShare() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return (exe.parent_path() / KESTREL_PREFIX_FROM_PROGRAM / "share/kestrel").lexically_normal();
}

// The models' folder: $KESTREL_MODELS or the per-user folder when it holds them, else the
// one installed with the program.
std::filesystem::path modelFolder() {
  const std::filesystem::path user = defaultModelFolder();
  std::error_code error;
  if (std::getenv("KESTREL_MODELS") != nullptr || std::filesystem::exists(user, error)) return user;
  const std::filesystem::path installed = installedShare() / "models";
  return std::filesystem::exists(installed, error) ? installed : user;
}

std::string helpPage() {
  std::error_code error;
  for (const auto& candidate : {installedShare() / "camera-access.html",
                                std::filesystem::path(KESTREL_SOURCE_DIR) / "data/camera-access.html"}) {
    if (std::filesystem::exists(candidate, error)) return candidate.string();
  }
  return "https://" + std::string(AppInfo::productHost()) + "/camera-access.html";
}

void keepDamagedFiles(const Locations& locations, SystemLog& log) {
  const AppPaths paths{locations.dataFolder, locations.settingsFile};
  std::error_code error;
  const auto exists = [&](const std::filesystem::path& p) { return std::filesystem::exists(p, error); };
  const bool damaged[] = {SettingsFile{paths.settingsFile}.isDamaged(),
                          exists(paths.state()) && !AppStateStore{paths.state()}.loadStrict(),
                          exists(paths.baselines()) && !BaselineStore{paths.baselines()}.load()};
  const std::filesystem::path files[] = {paths.settingsFile, paths.state(), paths.baselines()};
  for (int i = 0; i < 3; ++i) {
    if (auto line = keepDamaged(files[i], damaged[i])) log.notice(*line);
  }
}

LegacyImport::Outcome runLegacyImport(const LaunchPlan& plan, const Locations& locations, bool dryRun) {
  const std::filesystem::path source = LegacyImport::sourceFolder(locations.home);
  const std::filesystem::path preferences = LegacyImport::sourcePreferences(locations.home);
  const SettingsFile settings{locations.settingsFile};
  const auto readOld = [&] { return LegacyImport::readPreferences(preferences); };
  const auto existing = [&] {
    std::set<std::string, std::less<>> keys;
    for (const auto& [key, value] : settings.load()) keys.insert(key);
    return keys;
  };
  // Outside a sandbox this process may always read the old folder.
  constexpr bool hasEntitlement = true;
  if (dryRun) {
    return LegacyImport::dryRun(hasEntitlement, source, locations.dataFolder, LegacyImport::probe, readOld, existing);
  }
  return LegacyImport::launch(
      plan.writeLogAndState, runningId, hasEntitlement, source, locations.dataFolder, LegacyImport::probe, readOld,
      existing, [&](const SettingValues& values) { settings.merge(values); },
      [] { return static_cast<Instant>(std::time(nullptr)); });
}

// The demo prints what the log gets, as it gets it: the time of day, the verdicts and how
// long the analysis took, and each alert.
std::string timeOfDay(const std::string& stamp) { return stamp.size() >= 19 ? stamp.substr(11, 8) : stamp; }

AppController::Observer demoPrinter(std::int64_t& checks, std::int64_t& alerts) {
  return {[&checks](const CheckLine& line) {
            ++checks;
            std::cout << timeOfDay(line.t) << "  check   head " << (line.head ? toText(line.head->verdict) : "—")
                      << "  hand " << (line.hand ? toText(*line.hand) : "—")
                      << (line.skip ? "  skipped " + std::string(toText(*line.skip)) : std::string()) << "  "
                      << static_cast<long>(line.ms + line.burstMs.value_or(0)) << " ms\n"
                      << std::flush;
          },
          [&alerts](const EventLine& line) {
            if (line.event != "alert_raise" && line.event != "alert_clear" && line.event != "chime") return;
            if (line.event == "alert_raise") ++alerts;
            std::cout << timeOfDay(line.t) << "  " << line.event << "  "
                      << (line.module ? std::string(toText(*line.module)) : std::string()) << "  "
                      << line.hint.value_or(line.reason.value_or("")) << "\n"
                      << std::flush;
          }};
}

}  // namespace

// Qt's native Wayland windows can neither stay on top nor sit at a screen's edge on every
// compositor, and the glow needs both: under Wayland the program runs through XWayland when
// the session has it, unless the user chose a platform. Without XWayland the glow is left out.
void preferXWayland() {
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const bool wayland =
      std::getenv("WAYLAND_DISPLAY") != nullptr || (session != nullptr && std::string_view(session) == "wayland");
  if (wayland && std::getenv("DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
}

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  bool demo = false;
  std::optional<Seconds> exitAfter;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "--demo") demo = true;
    if (a == "--exit-after" || a == "--camera-file") {
      if (i + 1 == arguments.size()) {
        std::cerr << "kestrel: " << a << " needs a value (see kestrel --help)\n";
        return 2;
      }
      if (a == "--exit-after") {
        char* end = nullptr;
        exitAfter = std::strtod(arguments[i + 1].c_str(), &end);
        if (end == arguments[i + 1].c_str() || *end != '\0' || !(*exitAfter > 0)) {
          std::cerr << "kestrel: --exit-after needs a number of seconds above 0\n";
          return 2;
        }
      }
      ++i;
    } else if (a.rfind("--", 0) == 0 && a != "--demo" && a != "--smoke" && a != "--perf-live" &&
               a != "--simulate-camera-failure" && a != "--simulate-hand-alert" && a != "--seed-old-picture" &&
               a != "--legacy-import-dry-run") {
      std::cerr << "kestrel: unknown option " << a << " (see kestrel --help)\n";
      return 2;
    }
  }

  // Everything Kestrel writes is the user's alone.
  ::umask(077);

  LaunchPlan plan = LaunchPlan::from(arguments, runningId);
  // Before the demo moves the data folder: the models stay where the set-up put them.
  const std::filesystem::path models = modelFolder();
  if (demo) {
    if (!plan.cameraFile) {
      std::cerr << "kestrel: the demo plays a video as its camera: run scripts/run --demo, or give --camera-file\n";
      return 2;
    }
    char folder[] = "/tmp/kestrel-demo-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
      std::cerr << "kestrel: no temporary folder for the demo\n";
      return 1;
    }
    ::setenv("XDG_DATA_HOME", (std::string(folder) + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (std::string(folder) + "/config").c_str(), 1);
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    plan.showCalibrationWhenNeeded = false;  // the built-in stand-in calibration
    plan.registerLoginItem = false;
    plan.checkIntervalOverride = CheckInterval::s15;
    std::cout << "Kestrel demo: checks every 15 s on " << *plan.cameraFile << ", data in " << folder << "\n";
  }
  if (exitAfter) plan.exitAfter = exitAfter;

  const Locations locations = Locations::fromEnvironment();
  JournalLog log{std::string(runningId)};

  if (plan.legacyImportDryRun) {
    const std::string line = runLegacyImport(plan, locations, true).logLine();
    log.notice(line);
    std::cout << line << "\n";
    return 0;
  }
  if (plan.writeLogAndState) {
    if (auto line = secureDataFolder(locations.dataFolder)) log.notice(*line);
    keepDamagedFiles(locations, log);
  }
  log.notice(runLegacyImport(plan, locations, false).logLine());
  if (plan.printLaunchAndExit) {
    std::cout << LaunchPlan::launchLine(runningId) << "\n";
    return 0;
  }

  preferXWayland();
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(AppInfo::name.data(), AppInfo::name.size()));
  QGuiApplication::setDesktopFileName(QString::fromUtf8(runningId.data(), runningId.size()));
  QApplication::setQuitOnLastWindowClosed(false);

  // One Kestrel per session; the demo and the runs that write nothing stand apart.
  std::optional<SingleInstance> instance;
  if (plan.writeLogAndState && !demo) {
    instance.emplace(QDBusConnection::sessionBus(), std::string(runningId),
                     SingleInstance::lockFolder(locations.dataFolder));
    if (instance->role() != SingleInstance::Role::first) {
      log.notice("second start ended: " + instance->message());
      std::cout << instance->message() << "\n";
      return 0;
    }
    log.notice("single instance: " + instance->message());
  }

  Application::Options options{plan,     {std::string(runningId), commit(), std::string(BuildInfo::date())},
                               locations, helpPage(),
                               models, installSignalPipe(), instance && instance->lockFd() < 0};
  std::unique_ptr<Application> app;
  try {
    app = std::make_unique<Application>(std::move(options), log);
  } catch (const FileCameraUnavailable& error) {
    log.error(error.what());
    std::cerr << "kestrel: " << error.what() << "\n";
    return 1;
  }
  std::int64_t checks = 0;
  std::int64_t alerts = 0;
  if (demo) app->setObserver(demoPrinter(checks, alerts));
  app->start();
  const int status = QApplication::exec();
  if (demo && status == 0) {
    const auto score = app->controller().todayScore();
    std::cout << "Kestrel demo ended: " << checks << " checks, " << alerts << " alerts, today's score "
              << (score ? std::to_string(*score) + " %" : std::string("—")) << "\n";
  }
  app.reset();
  return status;
}
