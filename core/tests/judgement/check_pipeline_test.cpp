#include "core/judgement/check_pipeline.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/app_settings.hpp"
#include "core/tests/support/posture_frames.hpp"

namespace kestrel {
namespace {

using testing::handAtChin;
using testing::sitting;
using testing::tooClose;

const BaselineSet calibration = testing::calibrationSet();

// A hand hiding the face of the user sitting as calibrated.
Measurements hidden() { return Measurements{1000, 1000, 0.5, {}, {}, {handAtChin()}}; }

std::vector<Measurements> three(const Measurements& m) { return {m, m, m}; }

constexpr Instant t0 = 1767603600;  // 2026-01-05T09:00:00Z

Monitor calibratedMonitor() {
  return Monitor(Thresholds(), Calendar::utc(), true, false, {},
                 [n = 0]() mutable { return "alert-" + std::to_string(++n); });
}

std::vector<std::string> names(const std::vector<EventLine>& lines) {
  std::vector<std::string> result;
  for (const auto& line : lines) result.push_back(line.event);
  return result;
}

TEST(CheckPipeline, BadChecksRaiseAnAlertAndGoodOnesClearIt) {
  Monitor monitor = calibratedMonitor();
  CheckPipeline pipeline{LogClock{}};
  std::vector<FinishedCheck> checks;
  for (int i = 0; i < 6; ++i) {
    const Measurements m = i < 4 ? tooClose() : sitting();
    checks.push_back(pipeline.run(monitor, calibration, m, three(m), 12.5, 40.0, t0 + 15.0 * i, false));
  }
  for (int i : {0, 1, 2, 4}) EXPECT_TRUE(checks[i].eventLines.empty()) << i;
  ASSERT_EQ(names(checks[3].eventLines), std::vector<std::string>{"alert_raise"});
  EXPECT_EQ(checks[3].eventLines[0].t, "2026-01-05T09:00:45Z");
  EXPECT_EQ(checks[3].pictureRequests,
            (std::vector<PictureRequest>{{"alert-1", AlertModule::head, "Too close to the screen · sit back", t0 + 45}}));
  ASSERT_EQ(names(checks[5].eventLines), std::vector<std::string>{"alert_clear"});
  EXPECT_EQ(checks[5].eventLines[0].alertId, "alert-1");
  EXPECT_TRUE(checks[5].pictureRequests.empty());

  const CheckLine& line = *checks[3].checkLine;
  EXPECT_EQ(line.t, "2026-01-05T09:00:45Z");
  EXPECT_EQ(line.thresholdsId, "t-2026-10-10a");
  EXPECT_EQ(line.baselineId, "set-1");
  EXPECT_EQ(line.head, (HeadResult{HeadVerdict::bad, HeadCause::tooClose, HeadBasis::faceOnly, std::nullopt, false}));
  EXPECT_EQ(line.burstFrames.size(), 3u);
  EXPECT_EQ(line.ms, 12.5);
  EXPECT_EQ(line.burstMs, 40.0);
}

TEST(CheckPipeline, OnlyTheFirstFrameUpdatesTheMemoryCarriedOn) {
  Monitor monitor = calibratedMonitor();
  CheckPipeline pipeline{LogClock{}};
  pipeline.run(monitor, calibration, sitting(), three(sitting()), 0, std::nullopt, t0, false);
  EXPECT_EQ(pipeline.memory().lastFaceSeenAt, t0);

  // The hand hides the face in the first frame; the burst sees the face again.
  const PendingCheck pending = pipeline.begin(monitor, calibration, hidden(), 0, t0 + 15, false);
  EXPECT_TRUE(pending.first.borrowed);
  EXPECT_EQ(pending.memory, pipeline.memory());
  EXPECT_TRUE(pipeline.memory().previousBorrowHadHand);
  const auto results = pending.frameResults(three(sitting({handAtChin()})));
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0], pending.first);
  EXPECT_FALSE(results[1].borrowed);
  const FinishedCheck done = pipeline.finish(monitor, pending, results, three(sitting()), 0);
  EXPECT_EQ(done.result.hand, HandVerdict::bad);
  EXPECT_EQ(pipeline.memory().lastFaceSeenAt, t0);  // the burst's faces are not remembered
}

TEST(CheckPipeline, ACheckIsJudgedWithTheThresholdsOfItsFirstFrame) {
  Monitor monitor = calibratedMonitor();
  CheckPipeline pipeline{LogClock{}};
  const PendingCheck pending = pipeline.begin(monitor, calibration, sitting(), 0, t0, false);
  AppSettings strict;
  strict.sensitivity = Sensitivity::strict;
  strict.checkInterval = CheckInterval::s30;
  monitor.apply(strict);
  const FinishedCheck done = pipeline.finish(monitor, pending, pending.frameResults(three(sitting())), {}, 0);
  EXPECT_EQ(done.checkLine->thresholdsId, "t-2026-10-10a");
  EXPECT_EQ(pipeline.begin(monitor, calibration, sitting(), 0, t0 + 30, false).thresholds().id,
            "t-2026-10-10a-strict-30s");
}

TEST(CheckPipeline, TheVoteUsesTheResultsItIsGiven) {
  // The application's simulated checks replace the frame results after the burst.
  Monitor monitor = calibratedMonitor();
  CheckPipeline pipeline{LogClock{}};
  CheckResult handBad;
  handBad.facePresent = true;
  handBad.head = HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt, std::nullopt, false};
  handBad.handCandidate = true;
  handBad.hand = HandVerdict::bad;
  std::vector<std::string> events;
  for (int i = 0; i < 2; ++i) {
    const PendingCheck pending = pipeline.begin(monitor, calibration, sitting(), 0, t0 + 15.0 * i, false);
    const auto done = pipeline.finish(monitor, pending, {handBad, handBad, handBad, handBad}, {}, std::nullopt);
    EXPECT_EQ(done.checkLine->burstMs, std::nullopt);
    for (const auto& name : names(done.eventLines)) events.push_back(name);
  }
  EXPECT_EQ(events, std::vector<std::string>{"alert_raise"});
  EXPECT_EQ(monitor.alerts().at(AlertModule::hand).id, "alert-1");
}

TEST(CheckPipeline, AnIgnoredCheckWritesNothing) {
  Monitor monitor = calibratedMonitor();
  monitor.handle(input::Pause{std::nullopt, t0 - 1});
  CheckPipeline pipeline{LogClock{}};
  const FinishedCheck done = pipeline.run(monitor, calibration, tooClose(), three(tooClose()), 0, 0.0, t0, false);
  EXPECT_EQ(done.checkLine, std::nullopt);
  EXPECT_TRUE(done.eventLines.empty());
  EXPECT_EQ(pipeline.memory().lastFaceSeenAt, t0);  // the frame was still judged
}

TEST(CheckPipeline, CameraEffectsSkipTheWholeCheck) {
  Monitor monitor = calibratedMonitor();
  CheckPipeline pipeline{LogClock{}};
  const FinishedCheck done = pipeline.run(monitor, calibration, sitting(), three(sitting()), 0, 0.0, t0, true);
  EXPECT_EQ(done.result.skip, SkipReason::cameraEffects);
  EXPECT_EQ(done.checkLine->skip, SkipReason::cameraEffects);
}

TEST(CheckPipelineEventLines, StampEveryEventAndItsUntilInTheClocksZone) {
  const LogClock berlin{*Calendar::named("Europe/Berlin")};
  const std::vector<MonitorEvent> events{event::Paused{t0 + 3600}, event::Launch{}, event::Paused{std::nullopt}};
  const auto lines = eventLines(events, t0, berlin);
  ASSERT_EQ(names(lines), (std::vector<std::string>{"pause", "launch", "pause"}));
  for (const auto& line : lines) EXPECT_EQ(line.t, "2026-01-05T10:00:00+01:00");
  EXPECT_EQ(lines[0].until, "2026-01-05T11:00:00+01:00");
  EXPECT_EQ(lines[2].until, std::nullopt);
  EXPECT_TRUE(eventLines({}, t0, berlin).empty());
}

}  // namespace
}  // namespace kestrel
