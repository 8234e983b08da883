#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/source_rig.hpp"
#include "tests/v4l2vm/vivid_scenarios.hpp"

namespace kestrel::vm {

namespace {

// Slack for the guest's scheduling: emulated, the machine runs late, never early.
constexpr double late = 0.3;

// Polls `probe` until the driver holds buffers again; the instant it saw them, or none.
std::optional<Instant> awaitBuffers(const DriverProbe& probe, const Clock& clock, double seconds) {
  const Instant until = clock.now() + seconds;
  while (clock.now() < until) {
    if (probe.buffersHeld()) return clock.now();
    pause(0.05);
  }
  return std::nullopt;
}

// One check as the application takes it: the first frame once the camera has settled, a
// burst of three frames half a second apart at the high rate, then the camera dozes and
// wakes 2.5 s before the next check, which comes on time.
void checkCycle(Tally& tally) {
  SourceRig rig;
  DriverProbe probe(vividNode);
  constexpr double interval = 6;
  rig.source->setCheckInterval(interval);
  const Instant called = rig.clock.now();
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts the first camera");
  tally.equal(rig.source->deviceID(), std::optional<std::string>(vividId), "the camera in use");
  tally.equal(probe.format(), std::optional<std::string>("YU12 1280x720"), "the driver captures the chosen format");
  tally.equal(probe.frameRate(), std::optional<double>(1), "the driver runs at the idle rate");
  tally.expect(rig.logged("camera " + vividId +
                          " format YU12 1280x720 1-12.5 fps centerStageControlMode=1 isCenterStageEnabled=false"),
               "the start is logged");
  tally.expect(rig.logged("frame rate idle: 1.0–1.0 fps"), "the idle rate is logged");

  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  const CheckSeen first = rig.checks.items().front();
  tally.within(first.at - called, 1.0, 2.0 + late, "the first check waits for the camera to settle");
  tally.equal(std::make_pair(first.measurements.frameWidth, first.measurements.frameHeight),
              std::make_pair(1280.0, 720.0), "the check frame's size");
  tally.expect(rig.analysed.size() == 1 && rig.analysed.items().front().format == PixelFormat::yu12,
               "one frame analysed, handed over as YU12");
  tally.expect(!rig.arrivals.items().empty(), "frames are reported arriving");

  Inbox<std::vector<Measurements>> bursts;
  rig.analysed.clear();
  const Instant burstCalled = rig.clock.now();
  rig.source->collectFrames(3, 0.5, [&bursts](std::vector<Measurements> frames, double) { bursts.add(frames); });
  pause(0.3);
  tally.equal(probe.frameRate(), std::optional<double>(10), "the driver runs at the high rate during the burst");
  if (!tally.expect(bursts.waitFor(1, 5), "the burst completes")) return;
  tally.equal(bursts.items().front().size(), 3U, "three frames in the burst");
  const auto taken = rig.analysed.items();
  if (tally.equal(taken.size(), 3U, "three frames analysed")) {
    tally.note("burst frames analysed " + std::to_string(taken[0].at - burstCalled) + ", " +
               std::to_string(taken[1].at - burstCalled) + ", " + std::to_string(taken[2].at - burstCalled) +
               " s after the call");
    tally.within(taken[0].at - burstCalled, 0.5, 0.6 + late, "the first burst frame, half a second after the call");
    // Measured when each was analysed, a little after it arrived.
    tally.within(taken[1].at - taken[0].at, 0.45, 0.6 + late, "the second, half a second later");
    tally.within(taken[2].at - taken[1].at, 0.45, 0.6 + late, "the third, half a second later");
  }
  pause(0.2);
  tally.equal(probe.frameRate(), std::optional<double>(1), "back at the idle rate after the burst");
  tally.expect(rig.logged("frame rate high: 10.0–10.0 fps"), "the high rate is logged");

  rig.source->dozeUntilNextCheck();
  rig.source->flush();
  const Instant dozed = rig.clock.now();
  tally.equal(probe.buffersHeld(), false, "dozing: the stream is off and the light with it");
  const Instant wakeDue = first.at + interval - 2.5;
  const auto wakeLines = rig.loggedStarting("camera doze start wake=");
  const auto wholeSeconds = static_cast<std::int64_t>(wakeDue - dozed);
  tally.expect(wakeLines.size() == 1 && (wakeLines.front() == "camera doze start wake=" + std::to_string(wholeSeconds) ||
                                         wakeLines.front() == "camera doze start wake=" + std::to_string(wholeSeconds - 1)),
               "the doze is logged with the seconds until the wake",
               wakeLines.empty() ? "none" : wakeLines.front());
  const auto woke = awaitBuffers(probe, rig.clock, 8);
  if (!tally.expect(woke.has_value(), "the camera wakes")) return;
  tally.note("woke " + std::to_string(*woke - first.at) + " s after the check, the next check " +
             std::to_string(first.at + interval - *woke) + " s later is due");
  tally.within(*woke - first.at, interval - 2.5, interval - 2.5 + late, "it wakes 2.5 s before the next check");
  tally.expect(rig.awaitLogged("camera doze ended reason=wake", 2.0), "the wake is logged");
  tally.equal(rig.checks.size(), 1U, "no check while waking");
  if (!tally.expect(rig.checks.waitFor(2, 4), "the next check frame")) return;
  tally.within(rig.checks.items()[1].at - first.at, interval, interval + 1 + late,
               "the next check comes at its time, from the first frame due");
  rig.source->stop();
  tally.equal(probe.buffersHeld(), false, "stopped: the light is off");
  pause(0.3);
  tally.equal(rig.missing.size(), 0U, "stopping and dozing never report the camera missing");
}

// Whether frames arrive again after a restart.
bool streamsAgain(SourceRig& rig, Tally& tally) {
  rig.arrivals.clear();
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts again");
  return tally.expect(rig.arrivals.waitFor(2, 5), "frames arrive again");
}

// After the camera was lost: one notice of its loss, and binding the device again is told
// once as a connected camera, which starts again.
void lostAndBack(SourceRig& rig, Tally& tally, bool unbound) {
  tally.expect(rig.missing.waitFor(1, 5), "the loss is reported");
  pause(1.5);
  tally.equal(rig.missing.items(), std::vector<std::string>{"disconnected"}, "exactly once, as disconnected");
  if (!unbound) tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind");
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(), "no camera to start while unbound");
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.connected.waitFor(1, 5), "the camera is reported connected");
  pause(1.0);
  tally.equal(rig.connected.size(), 1U, "exactly once");
  std::error_code error;
  tally.note("back as " + std::filesystem::canonical(vividNode, error).string());
  tally.equal(rig.missing.size(), 1U, "the removal of the lost camera is not reported again");
  streamsAgain(rig, tally);
}

// The driver's Disconnect control while streaming, as a camera failing in use.
void sourceDisconnectControl(Tally& tally) {
  SourceRig rig;
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts");
  if (!tally.expect(rig.arrivals.waitFor(1, 5), "frames arrive")) return;
  {
    DriverProbe probe(vividNode);
    tally.equal(probe.setControl("Disconnect", 0), 0, "the Disconnect control is pressed");
  }
  lostAndBack(rig, tally, false);
}

// Unbinding the device while streaming, as a camera unplugged.
void sourceUnplug(Tally& tally) {
  SourceRig rig;
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts");
  if (!tally.expect(rig.arrivals.waitFor(1, 5), "frames arrive")) return;
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind");
  lostAndBack(rig, tally, true);
}

// Unbinding the device while the camera dozes: the loss is reported at once, the planned
// wake does nothing (it would fail to start the lost camera), and a plug brings it back.
void sourceUnplugWhileDozing(Tally& tally) {
  SourceRig rig;
  rig.source->setCheckInterval(6);
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts");
  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  const Instant checked = rig.checks.items().front().at;
  rig.source->dozeUntilNextCheck();
  rig.source->flush();
  tally.equal(rig.loggedStarting("camera doze start").size(), 1U, "dozing");
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind while dozing");
  tally.expect(rig.missing.waitFor(1, 5), "the loss is reported");
  pause(std::max(0.0, checked + 6 - 2.5 + 1.0 - rig.clock.now()));
  tally.equal(rig.missing.items(), std::vector<std::string>{"disconnected"},
              "exactly once, as disconnected, and the planned wake stays quiet");
  tally.equal(rig.loggedStarting("camera doze ended").size(), 0U, "no wake");
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.connected.waitFor(1, 5), "the camera is reported connected");
  streamsAgain(rig, tally);
}

}  // namespace

std::vector<Scenario> vividSourceScenarios() {
  return {{"source-check-cycle", checkCycle},
          {"source-disconnect-control", sourceDisconnectControl},
          {"source-unplug", sourceUnplug},
          {"source-unplug-while-dozing", sourceUnplugWhileDozing}};
}

}  // namespace kestrel::vm
