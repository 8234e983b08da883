#include "core/skeleton_replay.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/camera_duty.hpp"
#include "core/check_pipeline.hpp"
#include "core/monitor.hpp"

namespace kestrel::SkeletonReplay {

std::optional<std::size_t> frameAtOrAfter(const std::vector<SkeletonFile::Frame>& frames, double time) {
  const auto it = std::lower_bound(frames.begin(), frames.end(), time,
                                   [](const SkeletonFile::Frame& frame, double t) { return frame.time < t; });
  if (it == frames.end()) return std::nullopt;
  return static_cast<std::size_t>(it - frames.begin());
}

std::vector<Instant> wholeSeconds(Instant after, Instant before, bool includeBefore) {
  std::vector<Instant> seconds;
  for (Instant s = std::floor(after) + 1; s < before || (includeBefore && s == before); s += 1) seconds.push_back(s);
  return seconds;
}

std::function<std::string()> alertIds() {
  return [next = std::int64_t{0}]() mutable { return "replay-" + std::to_string(++next); };
}

namespace {

std::int64_t raisedCount(const MonitorOutput& output) {
  return std::count_if(output.events.begin(), output.events.end(),
                       [](const MonitorEvent& e) { return std::holds_alternative<event::AlertRaised>(e); });
}

// The monitor of a replay: calibrated, not paused, no wrong taps, the settings applied.
Monitor replayMonitor(const Options& options) {
  Monitor monitor(Thresholds(), options.calendar, true, false, {}, alertIds());
  monitor.setCameraDozes(options.settings.cameraBetweenChecks == CameraDuty::Mode::off);
  monitor.apply(options.settings);
  return monitor;
}

}  // namespace

Result run(const SkeletonFile& skeleton, const BaselineSet& baselines, const Options& options, const Sink& sink) {
  if (skeleton.frames.empty()) return NoFrames{};
  std::vector<SkeletonFile::Frame> frames = skeleton.frames;
  std::stable_sort(frames.begin(), frames.end(),
                   [](const SkeletonFile::Frame& a, const SkeletonFile::Frame& b) { return a.time < b.time; });
  const double start = options.start.value_or(frames.front().time);
  const double end = options.end.value_or(frames.back().time);

  Monitor monitor = replayMonitor(options);
  const auto schedule = ReplaySchedule::checks(start, end, monitor.checkThresholds());
  if (const auto* tooShort = std::get_if<ReplaySchedule::TooShort>(&schedule)) return *tooShort;

  CheckPipeline pipeline(LogClock{options.calendar});
  Summary summary;
  const auto handle = [&](const MonitorInput& input, Instant at) {
    const MonitorOutput output = monitor.handle(input);
    summary.alerts += raisedCount(output);
    for (const auto& line : eventLines(output.events, at, pipeline.clock())) sink(line, at);
  };
  const auto tick = [&](Instant from, Instant to, bool includeTo) {
    for (const Instant s : wholeSeconds(from, to, includeTo)) handle(input::Tick{s}, s);
  };

  Instant previous = options.epoch + start;
  handle(input::Launch{previous}, previous);
  for (const auto& check : std::get<std::vector<ReplaySchedule::Check>>(schedule)) {
    const Instant at = options.epoch + check.time;
    tick(previous, at, false);
    previous = at;
    const auto first = frameAtOrAfter(frames, check.time);
    if (!first) continue;
    std::vector<Measurements> burst;
    for (const double time : check.burst) {
      if (const auto frame = frameAtOrAfter(frames, time)) burst.push_back(frames[*frame].measurements);
    }
    const FinishedCheck done =
        pipeline.run(monitor, baselines, frames[*first].measurements, burst, 0, 0.0, at, false);
    ++summary.checks;
    summary.alerts += raisedCount(done.output);
    if (done.checkLine) sink(*done.checkLine, at);
    for (const auto& line : done.eventLines) sink(line, at);
  }
  tick(previous, options.epoch + end, true);
  return summary;
}

}  // namespace kestrel::SkeletonReplay
