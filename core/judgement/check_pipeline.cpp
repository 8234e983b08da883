#include "core/judgement/check_pipeline.hpp"

#include "core/judgement/burst_vote.hpp"

namespace kestrel {

std::vector<CheckResult> PendingCheck::frameResults(const std::vector<Measurements>& burst) const {
  std::vector<CheckResult> results{first};
  const auto rest = classifier.classifyBurst(burst, context, memory, at);
  results.insert(results.end(), rest.begin(), rest.end());
  return results;
}

PendingCheck CheckPipeline::begin(const Monitor& monitor, const BaselineSet& baselines, const Measurements& frame,
                                  double ms, Instant at, bool cameraEffects) {
  Classifier classifier{monitor.checkThresholds(), baselines};
  const CheckContext context = monitor.context(at, cameraEffects);
  auto [first, memory] = classifier.classify(frame, context, memory_, at);
  memory_ = memory;
  return PendingCheck{std::move(classifier), context, std::move(first), std::move(memory), frame, ms, at};
}

FinishedCheck CheckPipeline::finish(Monitor& monitor, const PendingCheck& pending,
                                    const std::vector<CheckResult>& frameResults,
                                    const std::vector<Measurements>& burst, std::optional<double> burstMs) const {
  FinishedCheck done;
  done.result = BurstVote::combine(frameResults, pending.thresholds().burstMajority);
  done.output = monitor.handle(input::Check{done.result, pending.at});
  done.pictureRequests = PictureRequests::make(done.output.events, pending.at);
  if (done.output.writeCheckLine) {
    done.checkLine = CheckLine(done.result, pending.measurements, burst, done.output.checkStale,
                               pending.thresholds().id, pending.classifier.baselines.id, clock_.stamp(pending.at),
                               pending.ms, burstMs);
  }
  done.eventLines = eventLines(done.output.events, pending.at, clock_);
  return done;
}

FinishedCheck CheckPipeline::run(Monitor& monitor, const BaselineSet& baselines, const Measurements& frame,
                                 const std::vector<Measurements>& burst, double ms, std::optional<double> burstMs,
                                 Instant at, bool cameraEffects) {
  const PendingCheck pending = begin(monitor, baselines, frame, ms, at, cameraEffects);
  return finish(monitor, pending, pending.frameResults(burst), burst, burstMs);
}

std::vector<EventLine> eventLines(const std::vector<MonitorEvent>& events, Instant at, const LogClock& clock) {
  std::vector<EventLine> lines;
  lines.reserve(events.size());
  const std::string stamp = clock.stamp(at);
  const auto format = [&clock](Instant moment) { return clock.stamp(moment); };
  for (const auto& event : events) lines.emplace_back(event, stamp, format);
  return lines;
}

}  // namespace kestrel
