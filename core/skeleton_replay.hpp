#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "core/app_settings.hpp"
#include "core/baseline.hpp"
#include "core/calendar.hpp"
#include "core/check_line.hpp"
#include "core/event_line.hpp"
#include "core/instant.hpp"
#include "core/replay_schedule.hpp"
#include "core/skeleton_file.hpp"

// Replays the frames of one skeleton file through the check pipeline and the monitor as the
// application would have judged them live, so that a replay's log can be compared with the
// application's. Every replay of the same inputs gives the same lines: video time x is the
// instant epoch + x, the monitor names its alerts "replay-1", "replay-2", … and ticks every
// whole second between checks.
namespace kestrel::SkeletonReplay {

struct Options {
  Instant epoch = 0;                 // the instant of video time 0
  Calendar calendar = Calendar::utc();  // the zone of stamps and day names
  std::optional<double> start;       // video seconds; the first frame's time when absent
  std::optional<double> end;         // video seconds; the last frame's time when absent
  AppSettings settings;
};

// A line to be appended to the log at its instant.
using Line = std::variant<CheckLine, EventLine>;
using Sink = std::function<void(const Line& line, Instant at)>;

struct Summary {
  std::int64_t checks = 0;  // checks run through the pipeline
  std::int64_t alerts = 0;  // alerts raised

  bool operator==(const Summary&) const = default;
};

struct NoFrames {
  bool operator==(const NoFrames&) const = default;
};

using Result = std::variant<Summary, ReplaySchedule::TooShort, NoFrames>;

// The first frame, in order of time, whose time is at or after `time`; absent when none is.
// `frames` must be sorted by time.
std::optional<std::size_t> frameAtOrAfter(const std::vector<SkeletonFile::Frame>& frames, double time);

// The whole seconds strictly after `after` and strictly before `before`, ascending (or, with
// `includeBefore`, up to and including it).
std::vector<Instant> wholeSeconds(Instant after, Instant before, bool includeBefore = false);

// "replay-1", "replay-2", …: the alert ids of a replay, in order of raising.
std::function<std::string()> alertIds();

// Replays the file: a launch at the start, then each check of the replay schedule (with the
// monitor's check thresholds), with ticks before each and up to the end after the last; every
// line goes to the sink in the order the application would write it. Commands are not
// carried out and analysis times are logged as 0.
Result run(const SkeletonFile& skeleton, const BaselineSet& baselines, const Options& options, const Sink& sink);

}  // namespace kestrel::SkeletonReplay
