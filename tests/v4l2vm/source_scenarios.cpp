#include <algorithm>

#include "tests/v4l2vm/guest_devices.hpp"
#include "tests/v4l2vm/guest_support.hpp"
#include "tests/v4l2vm/scenarios.hpp"

namespace kestrel::vm {

namespace {

// Slack for the guest's scheduling: emulated, the machine runs late, never early.
constexpr double late = 0.3;

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
  tally.equal(probe.format(), std::optional<std::string>("YU12 1280x720"), "the driver captures the chosen format");
  tally.equal(probe.frameRate(), std::optional<double>(1), "the driver runs at the idle rate");

  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  const Instant first = rig.checks.items().front();
  tally.within(first - called, 1.0, 2.0 + late, "the first check waits for the camera to settle");
  const auto analysed = rig.analysed.items();
  tally.expect(analysed.size() == 1 && analysed.front().format == PixelFormat::yu12 && analysed.front().width == 1280 &&
                   analysed.front().height == 720,
               "one frame analysed, handed over as 1280x720 YU12");

  Inbox<std::vector<Measurements>> bursts;
  rig.analysed.clear();
  const Instant burstCalled = rig.clock.now();
  rig.source->collectFrames(3, 0.5, [&bursts](std::vector<Measurements> frames, double) { bursts.add(frames); });
  pause(0.3);
  tally.equal(probe.frameRate(), std::optional<double>(10), "the driver runs at the high rate during the burst");
  if (!tally.expect(bursts.waitFor(1, 5), "the burst completes")) return;
  const auto taken = rig.analysed.items();
  if (tally.equal(taken.size(), 3U, "three frames analysed")) {
    tally.within(taken[0].at - burstCalled, 0.5, 0.6 + late, "the first burst frame, half a second after the call");
    // Measured when each was analysed, a little after it arrived.
    tally.within(taken[1].at - taken[0].at, 0.45, 0.6 + late, "the second, half a second later");
    tally.within(taken[2].at - taken[1].at, 0.45, 0.6 + late, "the third, half a second later");
  }
  pause(0.2);
  tally.equal(probe.frameRate(), std::optional<double>(1), "back at the idle rate after the burst");

  rig.source->dozeUntilNextCheck();
  rig.source->flush();
  tally.equal(probe.buffersHeld(), false, "dozing: the stream is off and the light with it");
  // The wake shows as the driver holding buffers again.
  const Instant until = rig.clock.now() + 8;
  while (!probe.buffersHeld() && rig.clock.now() < until) pause(0.05);
  if (!tally.expect(probe.buffersHeld(), "the camera wakes")) return;
  tally.within(rig.clock.now() - first, interval - 2.5, interval - 2.5 + late, "it wakes 2.5 s before the next check");
  tally.equal(rig.checks.items().size(), 1U, "no check while waking");
  if (!tally.expect(rig.checks.waitFor(2, 4), "the next check frame")) return;
  tally.within(rig.checks.items()[1] - first, interval, interval + 1 + late,
               "the next check comes at its time, from the first frame due");
  rig.source->stop();
  tally.equal(probe.buffersHeld(), false, "stopped: the light is off");
  pause(0.3);
  tally.equal(rig.missing.items().size(), 0U, "stopping and dozing never report the camera missing");
}

// Whether frames arrive again after a restart.
bool streamsAgain(SourceRig& rig, Tally& tally) {
  rig.arrivals.clear();
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts again");
  return tally.expect(rig.arrivals.waitFor(2, 5), "frames arrive again");
}

// The driver's Disconnect control while streaming, as a camera failing in use: one report of its
// loss, no frames after it, and only unbinding and binding the device brings it back, told once
// as a connected camera, which starts again.
void sourceDisconnectControl(Tally& tally) {
  SourceRig rig;
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts");
  if (!tally.expect(rig.arrivals.waitFor(1, 5), "frames arrive")) return;
  tally.equal(DriverProbe(vividNode).setControl("Disconnect", 0), 0, "the Disconnect control is pressed");
  tally.expect(rig.missing.waitFor(1, 5), "the loss is reported");
  pause(1.5);
  tally.equal(rig.missing.items(), std::vector<std::string>{"disconnected"}, "exactly once, as disconnected");
  const auto frameCount = rig.arrivals.items().size();
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind");
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(), "no camera to start while unbound");
  tally.equal(rig.arrivals.items().size(), frameCount, "no frames after the failure");
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.connected.waitFor(1, 5), "the camera is reported connected");
  pause(1.0);
  tally.equal(rig.connected.items().size(), 1U, "exactly once");
  tally.equal(rig.missing.items().size(), 1U, "the removal of the lost camera is not reported again");
  streamsAgain(rig, tally);
}

// Unbinding the device while the camera dozes: the loss is reported at once, the planned
// wake does nothing (it would fail to start the lost camera), and a plug brings it back.
void sourceUnplugWhileDozing(Tally& tally) {
  SourceRig rig;
  rig.source->setCheckInterval(6);
  tally.equal(rig.source->start(std::nullopt), std::optional<std::string>(vividId), "starts");
  if (!tally.expect(rig.checks.waitFor(1, 5), "a check frame")) return;
  const Instant checked = rig.checks.items().front();
  rig.source->dozeUntilNextCheck();
  rig.source->flush();
  tally.equal(rig.countLogged("camera doze start"), 1U, "dozing");
  tally.equal(writeFile(vividUnbind, vividPlatformDevice), 0, "unbind while dozing");
  tally.expect(rig.missing.waitFor(1, 5), "the loss is reported");
  pause(std::max(0.0, checked + 6 - 2.5 + 1.0 - rig.clock.now()));
  tally.equal(rig.missing.items(), std::vector<std::string>{"disconnected"},
              "exactly once, as disconnected, and the planned wake stays quiet");
  tally.equal(rig.countLogged("camera doze ended"), 0U, "no wake");
  tally.equal(writeFile(vividBind, vividPlatformDevice), 0, "bind");
  tally.expect(rig.connected.waitFor(1, 5), "the camera is reported connected");
  streamsAgain(rig, tally);
}

}  // namespace

std::vector<Scenario> vividSourceScenarios() {
  return {{"source-check-cycle", checkCycle},
          {"source-disconnect-control", sourceDisconnectControl},
          {"source-unplug-while-dozing", sourceUnplugWhileDozing}};
}

}  // namespace kestrel::vm
