#include "camera/frame_source.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "camera/tests/frame_source_rig.hpp"

namespace kestrel {
namespace {

using namespace testing;

TEST(FrameSource, ChoosesTheFormatOrFallsBackToThePreset) {
  struct Case {
    const char* what;
    std::vector<DeviceFormat> formats;
    bool configurationFails;
    std::optional<std::size_t> active;
    const char* logLine;
  };
  const std::vector<DeviceFormat> usual = {format(1920, 1080, "BGR3", false), format(1280, 720, "BGR3", false),
                                           format(1280, 720, "NV12", true), format(640, 480, "NV12", true)};
  const Case cases[] = {
      {"the narrowest 16:9, preferring 4:2:0", usual, false, 2,
       "camera usb-cam format NV12 1280x720 1-30 fps centerStageControlMode=1 isCenterStageEnabled=false"},
      {"nothing 16:9: the preset",
       {format(1760, 1328, "NV12", true), format(640, 360, "NV12", true)},
       false,
       std::nullopt,
       "camera usb-cam format BGR3 1280x720 1-30 fps centerStageControlMode=1 isCenterStageEnabled=false"},
      {"the camera refuses the format: the preset", usual, true, std::nullopt,
       "camera usb-cam format BGR3 1280x720 1-30 fps centerStageControlMode=1 isCenterStageEnabled=false"},
  };
  for (const auto& c : cases) {
    Rig rig({{"usb-cam", c.formats, std::nullopt}});
    rig.camera->setConfigurationFails(c.configurationFails);
    EXPECT_EQ(rig.source->start(std::nullopt), "usb-cam") << c.what;
    EXPECT_EQ(rig.camera->activeFormatIndex(), c.active) << c.what;
    EXPECT_TRUE(rig.camera->isRunning()) << c.what;
    ASSERT_FALSE(rig.messages().empty()) << c.what;
    EXPECT_EQ(rig.messages().back(), c.logLine) << c.what;
    EXPECT_EQ(rig.source->deviceID(), "usb-cam") << c.what;
  }
}

TEST(FrameSource, RunsAtTheIdleRateAndRaisesItOnlyForABurst) {
  struct Case {
    std::vector<FrameRateRange> ranges;
    double idle;
    double high;
  };
  const Case cases[] = {{{{1, 30}}, 1, 10}, {{{15, 30}}, 15, 15}, {{{2, 5}}, 2, 5}, {{{5, 30}, {1, 30}}, 5, 10}};
  for (const auto& c : cases) {
    Rig rig({laptopCamera(c.ranges)});
    rig.source->start(std::nullopt);
    EXPECT_EQ(rig.camera->frameRate(), c.idle);
    rig.collect(1, 0.5);
    rig.settle();
    EXPECT_EQ(rig.camera->frameRate(), c.high);
    rig.advanceTo(rig.clock.now() + 1.5);
    ASSERT_EQ(rig.bursts.size(), 1U);
    EXPECT_EQ(rig.camera->frameRate(), c.idle);  // back down as soon as the burst is complete
  }
  Rig rig;
  rig.source->start(std::nullopt);
  rig.collect(1, 0.5);
  rig.advanceTo(rig.clock.now() + 1);
  EXPECT_EQ(rig.messages(), (std::vector<std::string>{
                                "frame rate idle: 1.0–1.0 fps",
                                "camera usb-laptop format NV12 1280x720 1-30 fps centerStageControlMode=1 "
                                "isCenterStageEnabled=false",
                                "frame rate high: 10.0–10.0 fps",
                                "frame rate idle: 1.0–1.0 fps",
                            }));
}

TEST(FrameSource, AFormatWithoutRatesOrARefusedRateLeavesTheRateAlone) {
  Rig withoutRates({laptopCamera({})});
  withoutRates.source->start(std::nullopt);
  Rig refusing;
  refusing.camera->setConfigurationFails(true);
  refusing.source->start(std::nullopt);
  for (Rig* rig : {&withoutRates, &refusing}) {
    EXPECT_EQ(rig->camera->frameRate(), 30);  // the camera's own rate
    for (const auto& message : rig->messages()) EXPECT_EQ(message.find("frame rate"), std::string::npos) << message;
  }
}

TEST(FrameSource, StartsOnlyAPinnedCameraThatIsThereAndSaysWhyNot) {
  struct Case {
    const char* what;
    std::vector<FakeCamera::Camera> cameras;
    std::optional<std::string> pinned;
    std::optional<std::string> started;
    std::string failure;
  };
  const FakeCamera::Camera a{"usb-a", {format(1280, 720, "NV12", true)}, std::nullopt};
  const FakeCamera::Camera b{"usb-b", {format(1280, 720, "NV12", true)}, std::nullopt};
  const FakeCamera::Camera denied{"usb-c", {}, CaptureError{CaptureError::Kind::denied, "permission denied"}};
  const Case cases[] = {
      {"the first", {a, b}, std::nullopt, "usb-a", ""},
      {"the pinned one", {a, b}, "usb-b", "usb-b", ""},
      {"the pinned one is absent", {a, b}, "usb-x", std::nullopt, "the camera usb-x is not connected"},
      {"no camera", {}, std::nullopt, std::nullopt, "no camera is connected"},
      {"it cannot be opened", {denied, a}, std::nullopt, std::nullopt, "permission denied"},
  };
  for (const auto& c : cases) {
    Rig rig(c.cameras);
    EXPECT_EQ(rig.source->start(c.pinned), c.started) << c.what;
    EXPECT_EQ(rig.camera->openCamera(), c.started) << c.what;
    EXPECT_EQ(rig.camera->isRunning(), c.started.has_value()) << c.what;
    EXPECT_EQ(rig.source->deviceID(), c.started) << c.what;
    EXPECT_EQ(rig.source->startFailure(), c.failure) << c.what;
    if (!c.started) {
      EXPECT_TRUE(rig.messages().empty()) << c.what;
    }
  }
}

TEST(FrameSource, TakesNoCheckInTheFirstSecondAfterAStartOrRestartAndReportsArrivalsOnceASecond) {
  Rig rig({{"usb-cam",
            {format(1920, 1080, "BGR3", false, {{4, 30}}), format(1280, 720, "NV12", true, {{4, 30}})},
            std::nullopt}},
          noon);  // idle at 4 frames a second
  rig.source->setCheckInterval(15);
  rig.source->start(std::nullopt);
  rig.advanceTo(noon + 0.75);
  EXPECT_TRUE(rig.checks.empty());
  rig.advanceTo(noon + 2.5);
  ASSERT_EQ(rig.checks.size(), 1U);
  EXPECT_EQ(rig.checks[0].at, noon + 1.0);  // settled after exactly one second
  EXPECT_EQ(rig.checks[0].measurements.frameWidth, 16);
  EXPECT_EQ(rig.arrivals, (std::vector<Instant>{noon + 0.25, noon + 1.25, noon + 2.25}));
  EXPECT_EQ(rig.analyses, 1);  // frames between checks are not analysed

  rig.advanceTo(noon + 15.5);
  EXPECT_EQ(rig.source->start(std::nullopt), "usb-cam");  // the controller restarts the camera
  EXPECT_EQ(rig.camera->starts(), 2);
  EXPECT_EQ(rig.camera->activeFormatIndex(), 1U);  // the format it had
  EXPECT_EQ(rig.camera->frameRate(), 4);
  rig.advanceTo(noon + 17);
  ASSERT_EQ(rig.checks.size(), 2U);
  // Frames at 16.0 and 16.25 were due but came within a second of the restart.
  EXPECT_EQ(rig.checks[1].at, noon + 16.5);
  EXPECT_TRUE(rig.missing.empty());
}

TEST(FrameSource, ABurstOfThreeHalfASecondApartAtTenFramesASecond) {
  for (const bool secondFails : {false, true}) {
    Rig rig;
    rig.burstAfterCheck = true;
    if (secondFails) rig.failingAnalyses = {3};  // the check is the first analysis
    rig.source->start(std::nullopt);
    rig.advanceTo(noon + 1.4);
    ASSERT_EQ(rig.checks.size(), 1U);
    EXPECT_EQ(rig.checks[0].at, noon);
    EXPECT_TRUE(rig.bursts.empty());
    rig.advanceTo(noon + 1.5);
    ASSERT_EQ(rig.bursts.size(), 1U);
    // A failed analysis still uses up its place: the burst ends at the same frame.
    EXPECT_EQ(times(rig.bursts[0]), secondFails ? (std::vector<double>{0.5, 1.5}) : (std::vector<double>{0.5, 1.0, 1.5}));
    EXPECT_EQ(rig.camera->frameRate(), 1);
    EXPECT_EQ(rig.analyses, 4);
  }
}

TEST(FrameSource, AnUnreadableFrameUsesUpABurstPlaceButNotACheck) {
  Rig rig;  // one frame a second from 12:00:00
  rig.camera->setUnreadable(true);
  rig.source->start(std::nullopt);
  rig.advanceTo(noon + 1.5);
  EXPECT_TRUE(rig.checks.empty());
  rig.camera->setUnreadable(false);
  rig.advanceTo(noon + 2);
  ASSERT_EQ(rig.checks.size(), 1U);
  EXPECT_EQ(rig.checks[0].at, noon + 2);  // the first readable frame took the check

  rig.camera->setUnreadable(true);
  rig.collect(2, 0.5);
  rig.advanceTo(noon + 3.5);
  ASSERT_EQ(rig.bursts.size(), 1U);
  EXPECT_TRUE(rig.bursts[0].empty());  // ended all the same, at 12:00:03
  EXPECT_EQ(rig.camera->frameRate(), 1);
  EXPECT_EQ(rig.analyses, 1);  // only the check frame reached the analysis
}

TEST(FrameSource, BurstsEndEarlyReplacedOrEmpty) {
  Rig notRunning;
  notRunning.collect(3, 0.5);
  notRunning.settle();
  EXPECT_EQ(notRunning.bursts, (std::vector<std::vector<Measurements>>{{}}));

  Rig stopped;
  stopped.startThroughFirstCheck();
  stopped.collect(3, 0.5);
  stopped.advanceTo(noon + 0.6);
  stopped.source->stop();
  stopped.settle();
  ASSERT_EQ(stopped.bursts.size(), 1U);
  EXPECT_EQ(times(stopped.bursts[0]), (std::vector<double>{0.5}));  // what it had
  EXPECT_EQ(stopped.camera->frameRate(), 10);  // ending early leaves the rate

  Rig replaced;
  replaced.startThroughFirstCheck();
  replaced.collect(3, 0.5);
  replaced.advanceTo(noon + 0.7);
  replaced.collect(1, 0.5);  // the first burst's `done` is never called
  replaced.advanceTo(noon + 5);
  ASSERT_EQ(replaced.bursts.size(), 1U);
  EXPECT_EQ(times(replaced.bursts[0]), (std::vector<double>{0.5}));
}

TEST(FrameSource, ChecksCanBeSwitchedOffAndCopyTheirFramesOnlyWhenAsked) {
  Rig rig;
  Frame picture{2, 2, PixelFormat::nv12, {Plane{{1, 2, 0, 3, 4, 0}, 3}, Plane{{5, 6}, 2}}};
  rig.camera->setPicture(picture);
  rig.source->setCopyCheckFrames(true);
  rig.source->setChecksEnabled(false);
  rig.source->start(std::nullopt);
  rig.advanceTo(noon + 5);
  EXPECT_TRUE(rig.checks.empty());
  EXPECT_EQ(rig.analyses, 0);
  rig.source->setChecksEnabled(true);
  rig.advanceTo(noon + 6);
  ASSERT_EQ(rig.checks.size(), 1U);
  ASSERT_NE(rig.checks[0].copy, nullptr);
  EXPECT_EQ(rig.checks[0].copy->buffer(), (Frame{2, 2, PixelFormat::nv12, {Plane{{1, 2, 3, 4}, 2}, Plane{{5, 6}, 2}}}));
  rig.source->setCopyCheckFrames(false);
  rig.source->setCheckInterval(15);
  rig.advanceTo(rig.checks[0].at + 15);
  ASSERT_EQ(rig.checks.size(), 2U);
  EXPECT_EQ(rig.checks[1].copy, nullptr);
  // Not dozing, a new interval plans no wake.
  for (const auto& message : rig.messages()) EXPECT_EQ(message.find("replanned"), std::string::npos);
}

TEST(FrameSource, DozesAfterACheckAndWakesTwoAndAHalfSecondsBeforeTheNextOrWhenASettingEndsIt) {
  Rig rig;
  rig.source->setCheckInterval(60);
  rig.source->start(std::nullopt);
  rig.source->dozeUntilNextCheck();  // no check taken yet: nothing
  rig.source->endDoze();             // awake: nothing
  rig.settle();
  EXPECT_TRUE(rig.camera->isRunning());
  rig.advanceTo(noon);
  ASSERT_EQ(rig.checks.size(), 1U);
  rig.source->dozeUntilNextCheck();
  rig.settle();
  EXPECT_FALSE(rig.camera->isRunning());
  EXPECT_EQ(rig.messages().back(), "camera doze start wake=57");
  rig.advanceTo(noon + 57.4);
  EXPECT_FALSE(rig.camera->isRunning());
  rig.advanceTo(noon + 57.5);
  EXPECT_TRUE(rig.camera->isRunning());
  EXPECT_TRUE(rig.logged("camera doze ended reason=wake"));
  EXPECT_EQ(rig.camera->starts(), 2);
  rig.advanceTo(noon + 62);
  ASSERT_EQ(rig.checks.size(), 2U);
  EXPECT_EQ(rig.checks[1].at, noon + 60.5);  // the first settled frame at or after 12:01:00
  EXPECT_TRUE(rig.missing.empty());

  // Ending the doze (a setting changed) wakes the camera at once.
  rig.source->dozeUntilNextCheck();
  rig.advanceTo(noon + 70);
  EXPECT_FALSE(rig.camera->isRunning());
  rig.source->endDoze();
  rig.settle();
  EXPECT_TRUE(rig.camera->isRunning());
  EXPECT_EQ(rig.messages().back(), "camera doze ended reason=setting");
  EXPECT_EQ(rig.camera->starts(), 3);

  // A new interval while dozing replans the wake; the wake of the first plan does nothing.
  rig.source->dozeUntilNextCheck();
  rig.advanceTo(noon + 80);
  rig.source->setCheckInterval(120);
  rig.settle();
  EXPECT_EQ(rig.messages().back(), "camera doze replanned wake=97");
  rig.advanceTo(noon + 120);
  EXPECT_FALSE(rig.camera->isRunning());
  rig.advanceTo(noon + 177.5);
  EXPECT_TRUE(rig.camera->isRunning());
  rig.advanceTo(noon + 181);
  ASSERT_EQ(rig.checks.size(), 3U);
  EXPECT_EQ(rig.checks[2].at, noon + 180.5);
}

TEST(FrameSource, DozesOnlyWhenRunningWithChecksAndNoBurst) {
  const std::pair<const char*, std::function<void(Rig&)>> cases[] = {
      {"during a burst", [](Rig& rig) { rig.collect(3, 0.5); }},
      {"with checks off", [](Rig& rig) { rig.source->setChecksEnabled(false); }},
      {"stopped", [](Rig& rig) { rig.source->stop(); }},
  };
  for (const auto& [what, arrange] : cases) {
    Rig rig;
    rig.startThroughFirstCheck();
    arrange(rig);
    const bool running = rig.camera->isRunning();
    rig.source->dozeUntilNextCheck();
    rig.advanceTo(noon + 120);
    EXPECT_EQ(rig.camera->isRunning(), running) << what;  // no doze, and no wake was planned
    for (const auto& message : rig.messages()) EXPECT_EQ(message.find("doze"), std::string::npos) << what;
  }
}

TEST(FrameSource, AStopNoticeIsAFailureOnlyWhenNobodyAskedForTheStop) {
  struct Case {
    const char* what;
    std::function<void(Rig&)> arrange;
    std::vector<std::string> missing;
  };
  const Case cases[] = {
      {"after a stop", [](Rig& rig) { rig.source->stop(); }, {}},
      {"while dozing", [](Rig& rig) { rig.source->dozeUntilNextCheck(); }, {}},
      {"while the camera still runs", [](Rig&) {}, {}},
      {"after a stop and a new start",
       [](Rig& rig) {
         rig.source->stop();
         rig.source->start(std::nullopt);  // a start clears the request
         rig.camera->halt();
       },
       {"stopped"}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.startThroughFirstCheck();
    c.arrange(rig);
    rig.settle();
    rig.camera->notify({CaptureNoticeKind::stopped, {}});
    rig.settle();
    EXPECT_EQ(rig.missing, c.missing) << c.what;
  }
  Rig dozing;
  dozing.startThroughFirstCheck();
  dozing.source->dozeUntilNextCheck();
  dozing.settle();
  dozing.camera->notify({CaptureNoticeKind::stopped, {}});
  dozing.advanceTo(noon + 12.5);
  EXPECT_TRUE(dozing.camera->isRunning());  // the doze goes on to its wake
}

TEST(FrameSource, ReportsTheCameraInUseDisconnectedAndCancelsTheDoze) {
  Rig rig({laptopCamera(), {"usb-other", {}, std::nullopt}});
  rig.startThroughFirstCheck();
  rig.camera->notify({CaptureNoticeKind::disconnected, "usb-other"});
  rig.settle();
  EXPECT_TRUE(rig.missing.empty());

  // A burst in progress is not ended by a lost camera; it ends when frames come again.
  rig.collect(2, 0.5);
  rig.settle();
  rig.camera->notify({CaptureNoticeKind::runtimeError, {}});
  rig.settle();
  EXPECT_EQ(rig.missing, (std::vector<std::string>{"runtime_error"}));
  EXPECT_TRUE(rig.bursts.empty());
  rig.advanceTo(noon + 1);
  EXPECT_EQ(times(rig.bursts.at(0)), (std::vector<double>{0.5, 1.0}));

  rig.missing.clear();
  rig.source->dozeUntilNextCheck();
  rig.settle();
  rig.camera->notify({CaptureNoticeKind::disconnected, "usb-laptop"});
  rig.settle();
  EXPECT_EQ(rig.missing, (std::vector<std::string>{"disconnected"}));
  rig.advanceTo(noon + 60);
  EXPECT_FALSE(rig.camera->isRunning());  // the planned wake was cancelled

  rig.camera->notify({CaptureNoticeKind::runtimeError, {}});
  rig.camera->notify({CaptureNoticeKind::connected, "usb-new"});
  rig.settle();
  EXPECT_EQ(rig.missing, (std::vector<std::string>{"disconnected", "runtime_error"}));
  EXPECT_EQ(rig.connected, 1);
}

TEST(FrameSource, ASimulatedFailureStopsTheCameraAndHidesItForTheOutage) {
  Rig rig;
  rig.startThroughFirstCheck();
  rig.collect(3, 0.5);
  rig.settle();
  rig.source->simulateFailure(10);
  rig.settle();
  EXPECT_FALSE(rig.camera->isRunning());
  EXPECT_EQ(rig.missing, (std::vector<std::string>{"runtime_error"}));
  EXPECT_EQ(rig.bursts, (std::vector<std::vector<Measurements>>{{}}));  // ended early
  rig.advanceTo(noon + 9.9);
  EXPECT_EQ(rig.source->start(std::nullopt), std::nullopt);
  EXPECT_EQ(rig.source->startFailure(), "the camera failed");
  rig.advanceTo(noon + 10);
  EXPECT_EQ(rig.source->start(std::nullopt), "usb-laptop");
  EXPECT_EQ(rig.source->startFailure(), "");
}

TEST(FrameSource, FramingIsGivenBackAtQuit) {
  Rig rig;
  rig.source->start(std::nullopt);
  EXPECT_EQ(rig.camera->framingMode(), FramingMode::cooperative);
  rig.source->releaseCenterStage();
  EXPECT_EQ(rig.camera->framingMode(), FramingMode::user);
  EXPECT_EQ(rig.messages().back(), "quit centerStageControlMode=0");
}

}  // namespace
}  // namespace kestrel
