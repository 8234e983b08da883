#include "core/skeleton_replay.hpp"

#include <gtest/gtest.h>

#include "core/tests/posture_frames.hpp"

#include <string>
#include <vector>

namespace kestrel::SkeletonReplay {
namespace {

const BaselineSet calibration = testing::calibrationSet();

SkeletonFile skeleton(double seconds, double badUntil, double step = 0.25) {
  return {{}, testing::badThenGoodFrames(seconds, badUntil, step)};
}

constexpr Instant epoch = 1767603600;  // 2026-01-05T09:00:00Z

struct Written {
  std::string kind;  // "check" or the event's name
  std::string t;
  Instant at;
};

struct Recorder {
  std::vector<Written> lines;

  Sink sink() {
    return [this](const Line& line, Instant at) {
      if (const auto* check = std::get_if<CheckLine>(&line)) {
        lines.push_back({"check", check->t, at});
      } else {
        const auto& event = std::get<EventLine>(line);
        lines.push_back({event.event, event.t, at});
      }
    };
  }
  std::vector<std::string> kinds() const {
    std::vector<std::string> result;
    for (const auto& line : lines) result.push_back(line.kind);
    return result;
  }
};

Options options(std::int64_t interval = 15) {
  Options o;
  o.epoch = epoch;
  o.settings = AppSettings::fromValues({{"checkInterval", interval}, {"chimeEnabled", false}});
  return o;
}

TEST(SkeletonReplayFrames, TheFirstAtOrAfterTheTime) {
  const SkeletonFile file = skeleton(1.0, 0, 0.5);  // frames at 0, 0.5, 1.0
  const std::vector<std::pair<double, std::optional<std::size_t>>> cases{
      {-1, 0}, {0, 0}, {0.5, 1}, {0.50001, 2}, {1.0, 2}, {1.01, std::nullopt}};
  for (const auto& [time, index] : cases) EXPECT_EQ(frameAtOrAfter(file.frames, time), index) << time;
  EXPECT_EQ(frameAtOrAfter({}, 0), std::nullopt);
}

TEST(SkeletonReplayTicks, EveryWholeSecondStrictlyBetween) {
  EXPECT_EQ(wholeSeconds(10, 14), (std::vector<Instant>{11, 12, 13}));
  EXPECT_EQ(wholeSeconds(10.5, 12.5), (std::vector<Instant>{11, 12}));
  EXPECT_EQ(wholeSeconds(10, 11), std::vector<Instant>{});
  EXPECT_EQ(wholeSeconds(10, 10), std::vector<Instant>{});
  EXPECT_EQ(wholeSeconds(10, 12, true), (std::vector<Instant>{11, 12}));
  EXPECT_EQ(wholeSeconds(10, 11.5, true), (std::vector<Instant>{11}));
}

TEST(SkeletonReplayIds, CountFromOne) {
  auto next = alertIds();
  EXPECT_EQ(next(), "replay-1");
  EXPECT_EQ(next(), "replay-2");
  EXPECT_EQ(alertIds()(), "replay-1");
}

TEST(SkeletonReplayRun, BadThenGoodFramesRaiseAndClearOneAlert) {
  Recorder recorder;
  // Checks at 0, 15, …, 105 (eight); too close until 60 s, so four bad checks then four good.
  const Result result = run(skeleton(107, 60), calibration, options(), recorder.sink());
  EXPECT_EQ(result, Result(Summary{8, 1}));
  std::vector<std::string> expected{"launch"};
  for (int i = 0; i < 8; ++i) {
    expected.push_back("check");
    if (i == 3) expected.push_back("alert_raise");
    if (i == 5) expected.push_back("alert_clear");
  }
  EXPECT_EQ(recorder.kinds(), expected);
  EXPECT_EQ(recorder.lines.front().t, "2026-01-05T09:00:00Z");
  EXPECT_EQ(recorder.lines.back().t, "2026-01-05T09:01:45Z");
  EXPECT_EQ(recorder.lines[5].t, "2026-01-05T09:00:45Z");  // the raise, with the fourth check
  EXPECT_EQ(recorder.lines[5].at, epoch + 45);
}

TEST(SkeletonReplayRun, TicksBetweenChecksCarryTheChime) {
  Recorder recorder;
  Options o = options();
  // Checks every minute: one bad check raises, and the chime is due 30 s later, between checks.
  o.settings = AppSettings::fromValues({{"checkInterval", std::int64_t{60}}, {"chimeDelay", std::int64_t{30}}});
  EXPECT_EQ(run(skeleton(125, 200), calibration, o, recorder.sink()), Result(Summary{3, 1}));
  std::vector<std::pair<std::string, Instant>> events;
  for (const auto& line : recorder.lines) {
    if (line.kind != "check") events.emplace_back(line.kind, line.at);
  }
  EXPECT_EQ(events, (std::vector<std::pair<std::string, Instant>>{
                        {"launch", epoch}, {"alert_raise", epoch}, {"chime", epoch + 30}}));
  EXPECT_EQ(recorder.lines.back().t, "2026-01-05T09:02:00Z");
}

TEST(SkeletonReplayRun, StartEndAndZoneChooseTheStretchAndTheStamps) {
  Recorder recorder;
  Options o = options();
  o.start = 10;
  o.end = 41.5;  // checks at 10, 25 and 40; the last burst ends exactly at 41.5
  o.calendar = *Calendar::named("Asia/Kolkata");
  EXPECT_EQ(run(skeleton(107, 0), calibration, o, recorder.sink()), Result(Summary{3, 0}));
  EXPECT_EQ(recorder.kinds(), (std::vector<std::string>{"launch", "check", "check", "check"}));
  EXPECT_EQ(recorder.lines[0].t, "2026-01-05T14:30:10+05:30");
  EXPECT_EQ(recorder.lines[3].t, "2026-01-05T14:30:40+05:30");
}

TEST(SkeletonReplayRun, MissingFramesShortenTheBurstOrDropTheCheck) {
  SkeletonFile file;
  for (const double time : {0.0, 15.0, 30.0, 45.0, 45.5}) file.frames.push_back({time, testing::sitting(), {}});
  std::vector<std::size_t> bursts;
  const Sink sink = [&](const Line& line, Instant) {
    if (const auto* check = std::get_if<CheckLine>(&line)) bursts.push_back(check->burstFrames.size());
  };
  Options o = options();
  o.end = 80;
  // Checks at 0, 15, …, 75. A burst frame is the first frame at or after its time, however
  // late; the check at 45 finds one for 45.5 only, and those at 60 and 75 find no first frame.
  EXPECT_EQ(run(file, calibration, o, sink), Result(Summary{4, 0}));
  EXPECT_EQ(bursts, (std::vector<std::size_t>{3, 3, 3, 1}));
}

TEST(SkeletonReplayRun, RefusesTooShortStretchesAndEmptyFiles) {
  Recorder recorder;
  EXPECT_EQ(run(skeleton(20, 0), calibration, options(), recorder.sink()), Result(ReplaySchedule::TooShort{2}));
  EXPECT_EQ(run(SkeletonFile{}, calibration, options(), recorder.sink()), Result(NoFrames{}));
  EXPECT_TRUE(recorder.lines.empty());
}

}  // namespace
}  // namespace kestrel::SkeletonReplay
