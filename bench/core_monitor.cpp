// Cost of the monitor's two most frequent inputs: a judged check (with the stale detector's
// window full, so that every check takes a median of its samples) and the one-second tick.
#include <benchmark/benchmark.h>

#include "core/monitor/monitor.hpp"

namespace kestrel {
namespace {

CheckResult check(int i) {
  CheckResult c;
  c.head = HeadResult{i % 3 == 0 ? HeadVerdict::bad : HeadVerdict::good, HeadCause::headForward, HeadBasis::shoulders,
                      std::nullopt, i % 2 == 0};
  if (c.head->verdict != HeadVerdict::bad) c.head->cause.reset();
  c.hand = i % 5 == 0 ? HandVerdict::bad : HandVerdict::good;
  c.facePresent = true;
  c.baseline = Baseline{};
  c.baseline->faceHeight = 0.3;
  c.baseline->shoulderWidth = 0.4;
  c.faceHeightRatio = 0.28 + 0.001 * (i % 40);
  c.shoulderWidthRatio = 0.41;
  return c;
}

Monitor warmedUp(Instant& now) {
  Monitor m(Thresholds{}, Calendar::utc(), true, false, {}, [] { return std::string("ID"); });
  m.handle(input::CameraStarted{now});
  for (int i = 0; i < 200; ++i) m.handle(input::Check{check(i), now += 15});
  return m;
}

void handleCheck(benchmark::State& state) {
  Instant now = 1'790'000'000;
  Monitor m = warmedUp(now);
  int i = 0;
  for (auto _ : state) {
    MonitorOutput out = m.handle(input::Check{check(i++), now += 15});
    benchmark::DoNotOptimize(out);
  }
  state.counters["checks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(handleCheck);

void handleTick(benchmark::State& state) {
  Instant now = 1'790'000'000;
  Monitor m = warmedUp(now);
  for (auto _ : state) {
    m.handle(input::FrameArrived{now += 1});
    MonitorOutput out = m.handle(input::Tick{now});
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(handleTick);

}  // namespace
}  // namespace kestrel
