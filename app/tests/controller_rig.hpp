#pragma once

// The controller on a fake camera in simulated time, with the test as its main thread and
// recording stand-ins for the desktop, the sound service and the login item.

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_controller.hpp"
#include "core/base/file_io.hpp"
#include "core/tests/support/posture_frames.hpp"
#include "core/tests/support/temp_folder.hpp"
#include "testing/fake_camera.hpp"
#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"
#include "testing/recording_log.hpp"

namespace kestrel::testing {

// 2026-03-09 12:00:00 UTC, a Monday.
inline constexpr Instant noon = 1773057600;

class RecordingDesktop final : public Desktop {
 public:
  std::int64_t menuRefreshes = 0;
  std::vector<std::vector<MonitorEvent>> glowUpdates;
  bool open = false;
  std::int64_t windowRefreshes = 0;
  bool answer = true;
  std::vector<std::string> questions;
  std::vector<std::string> texts;  // of the questions
  std::vector<std::string> addresses;
  std::int64_t quits = 0;
  // The calibration window.
  bool calibrationShown = false;
  CalibrationActions calibrationActions;
  std::vector<CalibrationScreen> calibrationScreens;  // as shown, one entry per change
  std::int64_t calibrationOpens = 0;
  std::int64_t calibrationForwards = 0;
  std::int64_t calibrationPictures = 0;
  std::vector<FrameSource::Preview> lastPictures;  // the last few
  std::vector<std::string> cameraMissing;

  void installMenu() override {}
  void refreshMenu() override { ++menuRefreshes; }
  void updateGlow(bool, const std::vector<MonitorEvent>& events) override { glowUpdates.push_back(events); }
  bool windowOpen() const override { return open; }
  void showWindow() override { open = true; }
  void refreshWindow(bool) override { ++windowRefreshes; }
  std::vector<std::string> picturesOpened;  // "day/stem"
  void openPicture(const std::string& day, const std::string& stem) override {
    picturesOpened.push_back(day + "/" + stem);
  }
  void picturesPruned(const std::vector<std::string>&) override {}
  void calibrationEnded() override {}
  bool calibrationOpen() const override { return calibrationShown; }
  void openCalibration(CalibrationActions actions) override {
    ++calibrationOpens;
    calibrationShown = true;
    calibrationActions = std::move(actions);
  }
  void showCalibration(const CalibrationScreen& screen) override {
    if (calibrationScreens.empty() || calibrationScreens.back() != screen) calibrationScreens.push_back(screen);
  }
  void bringCalibrationForward() override { ++calibrationForwards; }
  void closeCalibration() override {
    calibrationShown = false;
    calibrationActions = {};
  }
  void showCalibrationPicture(const FrameSource::Preview& preview) override {
    ++calibrationPictures;
    lastPictures.push_back(preview);
    if (lastPictures.size() > 3) lastPictures.erase(lastPictures.begin());
  }
  void showCalibrationCameraMissing(const std::string& reason) override { cameraMissing.push_back(reason); }
  bool confirm(const std::string& title, const std::string& text, const std::string&, const std::string&) override {
    questions.push_back(title);
    texts.push_back(text);
    return answer;
  }
  void openAddress(const std::string& address) override { addresses.push_back(address); }
  void quit() override { ++quits; }
};

class RecordingSound final : public SoundPlayer {
 public:
  int status = 0;
  std::vector<std::string> played;
  int play(const std::string& path) override {
    played.push_back(path);
    return status;
  }
};

class FakeLoginItem final : public LoginItemService {
 public:
  LoginItemStatus current = LoginItemStatus::notRegistered;
  std::string path = "/usr/bin/kestrel";
  std::int64_t enables = 0;

  LoginItemStatus status() override { return current; }
  std::optional<std::string> enable() override {
    ++enables;
    current = LoginItemStatus::enabled;
    return std::nullopt;
  }
  std::optional<std::string> disable() override {
    current = LoginItemStatus::notRegistered;
    return std::nullopt;
  }
  std::string executablePath() override { return path; }
  bool isReadOnlyVolume() override { return false; }
};

inline FakeCamera::Camera laptopCamera() { return {"cam", {{640, 360, "NV12", true, {{1, 30}}}}, std::nullopt}; }

// Photos are not looked at here; an encoder that hands back fixed bytes keeps OpenCV out.
class FixedPhotos final : public PhotoEncoder {
 public:
  std::string jpeg(const PhotoSource&) override { return "\xFF\xD8\xFF photo"; }
};

struct ControllerRig {
  TempFolder folder;
  ManualClock clock;
  ManualExecutor main;
  RecordingLog log;
  RecordingDesktop desktop;
  RecordingSound sound;
  FakeLoginItem loginItem;
  FakeCamera* camera = nullptr;
  // What the camera sees: the analysis of every frame until the test changes it.
  Measurements scene = sitting();
  std::unique_ptr<AppController> controller;
  std::vector<std::string> written;  // kinds and summaries of the lines as they were written

  AppPaths paths() const { return {folder / "data", folder / "config/settings.json"}; }

  // The desktop the controller drives: the recording one unless a test hands in a real one.
  Desktop* shell = nullptr;

  explicit ControllerRig(std::vector<std::string> arguments = {}, bool calibrated = true, Instant start = noon - 60,
                         Desktop* realDesktop = nullptr)
      : clock(start), shell(realDesktop) {
    if (calibrated) BaselineStore{paths().baselines()}.save(calibrationSet());
    make(std::move(arguments));
  }

  void make(std::vector<std::string> arguments) {
    auto device = std::make_unique<FakeCamera>(clock, std::vector<FakeCamera::Camera>{laptopCamera()});
    camera = device.get();
    int next = 0;
    AppParts parts{clock,
                   main,
                   log,
                   std::move(device),
                   [this](const Frame&) { return scene; },
                   std::make_unique<FixedPhotos>(),
                   sound,
                   loginItem,
                   shell ? *shell : desktop,
                   {"io.github.kestrel.Kestrel", "abc1234", "2026-12-07"},
                   Calendar::utc(),
                   (folder / "sounds").string(),
                   "/usr/share/kestrel/camera-access.html",
                   [next]() mutable { return "A" + std::to_string(++next); }};
    writeBytes(folder / "sounds/complete.oga", "OggS");
    controller = std::make_unique<AppController>(LaunchPlan::from(arguments, "io.github.kestrel.Kestrel"), paths(),
                                                 std::move(parts));
    controller->setObserver({[this](const CheckLine&) { written.push_back("check"); },
                             [this](const EventLine& line) { written.push_back("event " + line.event); }});
    clock.setSettle([this] { settle(); });
  }

  ~ControllerRig() {
    clock.setSettle({});
    controller.reset();
  }

  void settle() {
    do {
      controller->flush();
    } while (main.runPending() > 0);
  }

  void start() {
    controller->start();
    settle();
  }

  // Moves simulated time on, letting the work already asked for see the time it was asked at.
  void advance(Seconds seconds) {
    settle();
    clock.advance(seconds);
    settle();
  }

  std::vector<std::string> messages() const { return log.messages(); }
  std::int64_t count(const std::string& prefix) const {
    const auto all = messages();
    return std::count_if(all.begin(), all.end(), [&](const std::string& m) { return m.rfind(prefix, 0) == 0; });
  }
  bool logged(const std::string& message) const { return count(message) > 0; }

  // The day file's lines in file order, each shortened to "check" or "event <name>".
  std::vector<std::string> dayLines(Instant on) const {
    std::vector<std::string> lines;
    const auto text = readFile(CheckLogStore{paths().logs(), LogClock{}}.fileURL(on));
    if (!text) return lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text->find('\n', begin)) != std::string::npos; begin = end + 1) {
      const Json line = Json::parse(text->substr(begin, end - begin));
      lines.push_back(line.at("type") == "check" ? "check" : "event " + line.at("event").get<std::string>());
    }
    return lines;
  }

  std::optional<AppState> state() const { return AppStateStore{paths().state()}.loadStrict(); }
};

}  // namespace kestrel::testing
