#include "app/app_controller.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/tests/controller_rig.hpp"

namespace kestrel {
namespace {

using testing::ControllerRig;
using testing::laptopCamera;
using testing::noon;
using Lines = std::vector<std::string>;

TEST(AppController, ACheckRunsFromItsFirstFrameToTheLogTheChimeAndAPicture) {
  ControllerRig rig;
  rig.scene = testing::tooClose();
  rig.start();
  rig.advance(4);
  // The camera dozes until shortly before the next check.
  EXPECT_FALSE(rig.camera->isRunning());
  rig.advance(56);

  // The first check comes a second after the camera starts; it raises the alert at once and
  // the chime follows 30 s later, with the default delay.
  EXPECT_EQ(rig.dayLines(noon), (Lines{"event launch", "check", "event alert_raise", "event chime"}));
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "event alert_raise", "event chime"}));
  EXPECT_EQ(rig.sound.played, Lines{(rig.folder / "sounds/complete.oga").string()});
  EXPECT_TRUE(rig.logged("picture saved alertId=A1 photo=true bytes=9 ms=0"));
  EXPECT_TRUE(rig.logged("check head=BAD cause=too_close hand=GOOD skip=none votes=BG,BG,BG,BG"));
  EXPECT_EQ(rig.count("burst frames=3 span=1.50"), 1);
  EXPECT_EQ(rig.desktop.glowUpdates.back(), std::vector<MonitorEvent>{});
}

TEST(AppController, ALostCameraIsRetriedEveryFiveSecondsAndIsBackOnlyWithItsFirstFrame) {
  ControllerRig rig;
  rig.camera->setCameras({});
  rig.start();
  EXPECT_EQ(rig.written, (Lines{"event launch", "event camera_missing"}));
  rig.advance(20);
  EXPECT_EQ(rig.camera->starts(), 0);

  rig.camera->setCameras({laptopCamera()});
  rig.advance(5);  // the next retry starts it
  EXPECT_EQ(rig.camera->starts(), 1);
  EXPECT_EQ(rig.written.back(), "event camera_missing");
  rig.advance(2);
  EXPECT_EQ(rig.written.back(), "event camera_back");
  EXPECT_EQ(rig.count("event {\"event\":\"camera_back\""), 1);

  // Once back, the next retry stops retrying: a camera that then dozes is not restarted.
  rig.advance(60);
  EXPECT_EQ(rig.camera->starts(), 2);  // the planned wake of the doze, not a retry
  rig.advance(300);
  EXPECT_EQ(rig.count("event {\"event\":\"camera_missing\""), 1);
}

TEST(AppController, AnUnpluggedCameraIsMissingUntilItIsPluggedInAgain) {
  ControllerRig rig;
  rig.start();
  rig.advance(5);
  rig.camera->unplug();
  rig.advance(12);
  EXPECT_EQ(rig.camera->starts(), 1);
  EXPECT_TRUE(rig.logged("camera missing: disconnected"));
  rig.camera->plug(laptopCamera());
  rig.advance(2);
  EXPECT_EQ(rig.camera->starts(), 2);
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "event camera_missing", "event camera_back"}));
}

TEST(AppController, PauseResumeWrongAndStopSaveTheStateAtOnce) {
  ControllerRig rig;
  rig.scene = testing::tooClose();
  rig.start();
  rig.advance(4);

  std::filesystem::remove(rig.paths().state());
  rig.controller->handle(input::Wrong{AlertModule::head, rig.clock.now()});
  ASSERT_TRUE(rig.state());
  EXPECT_EQ(rig.state()->wrongTaps, (std::map<std::string, std::int64_t>{{"2026-3-9-head", 1}}));
  EXPECT_EQ(rig.state()->loginItemOffered, true);

  rig.controller->choose(MenuItemId::pauseResume);
  EXPECT_TRUE(rig.state()->pausedIndefinitely);
  rig.controller->choose(MenuItemId::pauseResume);
  EXPECT_FALSE(rig.state()->pausedIndefinitely);

  rig.controller->choose(MenuItemId::pauseHour);
  std::filesystem::remove(rig.paths().state());
  rig.controller->stop();
  EXPECT_FALSE(rig.camera->isRunning());
  ASSERT_TRUE(rig.state());
  EXPECT_TRUE(rig.logged("quit centerStageControlMode=0"));
}

TEST(AppController, MenuItemsSendTheirInputsAndOnlyInputsRefreshTheViews) {
  ControllerRig rig;
  rig.start();
  rig.advance(3);  // the first check is done
  const std::int64_t menus = rig.desktop.menuRefreshes;
  rig.desktop.open = true;
  rig.advance(10);  // ticks without events
  EXPECT_EQ(rig.desktop.menuRefreshes, menus);
  EXPECT_EQ(rig.desktop.windowRefreshes, 0);
  const Instant at = rig.clock.now();
  AppController& c = *rig.controller;

  c.choose(MenuItemId::snooze);
  EXPECT_EQ(rig.desktop.menuRefreshes, menus + 1);
  EXPECT_EQ(rig.desktop.windowRefreshes, 1);
  EXPECT_EQ(c.monitor().snoozedUntil(), at + 1800);
  c.choose(MenuItemId::hideGlow);
  EXPECT_EQ(c.monitor().hideGlowUntil(), at + 3600);
  c.choose(MenuItemId::pauseHour);
  EXPECT_EQ(c.monitor().pausedUntil(), at + 3600);
  // A timed pause counts as paused: the toggle resumes.
  c.choose(MenuItemId::pauseResume);
  EXPECT_FALSE(c.monitor().isPaused(at));
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "event snooze", "event hide_glow", "event pause", "event resume"}));

  c.choose(MenuItemId::cameraAccess);
  EXPECT_EQ(rig.desktop.addresses, Lines{"/usr/share/kestrel/camera-access.html"});
  c.choose(MenuItemId::login);
  EXPECT_EQ(rig.loginItem.current, LoginItemStatus::notRegistered);  // it was enabled at the first start
  c.choose(MenuItemId::quit);
  EXPECT_EQ(rig.desktop.quits, 1);
}

// The first test sees the camera doze with the default setting.
TEST(AppController, TheCameraStaysOnAfterACheckWhenItIsSetSteady) {
  ControllerRig rig;
  SettingsFile{rig.paths().settingsFile}.merge({{"cameraBetweenChecks", "steady"}});
  rig.make({});
  rig.start();
  rig.advance(3);
  EXPECT_EQ(rig.written, (Lines{"event launch", "check"}));
  rig.advance(1);
  EXPECT_TRUE(rig.camera->isRunning());
}

TEST(AppController, ASettingsChangeReachesTheMonitorTheCameraAndTheFileWithALineEach) {
  ControllerRig rig;
  rig.start();
  rig.advance(3);
  AppSettings changed = rig.controller->settings();
  changed.glowEnabled = false;
  changed.checkInterval = CheckInterval::s15;
  rig.log.clear();
  rig.controller->updateSettings(changed);
  rig.controller->updateSettings(changed);  // unchanged: nothing at all
  rig.settle();

  // One line per changed setting; the dozing camera's wake is planned anew for the interval.
  EXPECT_EQ(rig.messages(), (Lines{"setting glow=false", "setting checkInterval=15", "camera doze replanned wake=10"}));
  EXPECT_FALSE(rig.controller->monitor().glowEnabled());
  EXPECT_EQ(rig.controller->monitor().checkInterval(), CheckInterval::s15);
  const SettingValues stored = SettingsFile{rig.paths().settingsFile}.load();
  EXPECT_EQ(stored.at("checkInterval"), SettingValue{std::int64_t{15}});
  EXPECT_EQ(stored.at("glowEnabled"), SettingValue{false});
  EXPECT_EQ(stored.size(), AppSettings::allKeys.size());

  rig.written.clear();
  rig.advance(60);
  EXPECT_EQ(rig.written, (Lines{"check", "check", "check", "check"}));
}

TEST(AppController, ChecksOnEitherSideOfMidnightPrunePicturesTwice) {
  const Instant midnight = noon + 12 * 3600;
  ControllerRig rig({}, true, midnight - 90);
  SettingsFile{rig.paths().settingsFile}.merge({{"pictureRetentionDays", std::int64_t{1}}});
  rig.make({});
  const auto pictures = rig.paths().pictures();
  std::filesystem::create_directories(pictures / "2026-03-08");
  rig.start();
  EXPECT_EQ(rig.count("pictures pruned days=1"), 1);  // yesterday's, at start
  std::filesystem::create_directories(pictures / "2026-03-09");
  rig.advance(60);  // a check before midnight: the same day, no pruning
  EXPECT_EQ(rig.written, (Lines{"event launch", "check"}));
  EXPECT_TRUE(std::filesystem::exists(pictures / "2026-03-09"));
  rig.advance(90);  // the checks at 23:59:31 and 00:00:31; only the second prunes
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "check", "check"}));
  EXPECT_EQ(rig.count("pictures pruned days=1"), 2);
  EXPECT_FALSE(std::filesystem::exists(pictures / "2026-03-09"));
}

TEST(AppController, ARunThatWritesNothingLeavesTheDataFolderEmpty) {
  ControllerRig rig({"--perf-live"});
  rig.scene = testing::tooClose();
  rig.start();
  rig.advance(120);
  EXPECT_GE(rig.count("check head=BAD"), 4);
  // Only the calibration the test put there.
  Lines entries;
  for (const auto& entry : std::filesystem::directory_iterator(rig.paths().dataFolder)) {
    entries.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(entries, Lines{"baselines.json"});
  EXPECT_TRUE(rig.written.empty());
  EXPECT_EQ(rig.loginItem.enables, 0);
}

TEST(AppController, TheLoginItemIsOfferedOnceUnlessTheCopyWouldVanish) {
  struct Case {
    std::string path;
    LoginItemStatus before;
    std::int64_t enables;
    std::string line;
    bool offered;
  };
  const Case cases[] = {
      {"/usr/bin/kestrel", LoginItemStatus::notRegistered, 1,
       "login item register before=notRegistered after=enabled", true},
      {"/tmp/.mount_kestrel1/usr/bin/kestrel", LoginItemStatus::notRegistered, 0, "login item skipped reason=translocated",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ControllerRig rig;
    rig.loginItem.path = c.path;
    rig.loginItem.current = c.before;
    rig.start();
    EXPECT_EQ(rig.loginItem.enables, c.enables);
    EXPECT_TRUE(rig.logged(c.line));
    EXPECT_EQ(rig.controller->loginItemOffered(), c.offered);
    // A second start offers nothing again once it was offered.
    rig.controller.reset();
    rig.log.clear();
    rig.make({});
    rig.start();
    EXPECT_EQ(rig.count("login item"), c.offered ? 0 : 1);
  }
}

TEST(AppController, AFailingSoundServiceIsOneErrorLineAndNothingElse) {
  ControllerRig rig;
  rig.sound.status = -5;
  rig.scene = testing::tooClose();
  rig.start();
  rig.advance(60);
  EXPECT_EQ(rig.count("chime failed chosen=complete status=-5"), 1);
  EXPECT_EQ(rig.count("chime sound="), 0);
  EXPECT_EQ(rig.dayLines(noon).back(), "event chime");
}

TEST(AppController, AnUnwritableDataFolderLogsEachFailureAndChecksGoOn) {
  ControllerRig rig;
  // A file where the log folder should be: no day file can be made.
  testing::writeBytes(rig.paths().logs(), "not a folder");
  rig.start();
  rig.advance(120);
  EXPECT_EQ(rig.count("log write failed: "), 3);  // launch and two checks
  EXPECT_EQ(rig.written, (Lines{"event launch", "check", "check"}));
  EXPECT_EQ(testing::readBytes(rig.paths().logs()), "not a folder");
}

}  // namespace
}  // namespace kestrel
