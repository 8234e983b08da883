// Cost of judging one check: a first frame and a burst of three, each with one face (yaw and
// pitch), one body with four joints and two hands of 21 joints, voted into one result.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/judgement/classifier.hpp"

namespace kestrel {
namespace {

constexpr double frameWidth = 1280;
constexpr double frameHeight = 720;

// 21 joints fanned out around a palm at (x, y).
Hand hand(double x, double y) {
  Hand h;
  for (int i = 0; i < 21; ++i) {
    const double angle = 0.3 * i;
    h.joints.push_back(Joint{{x + 12 * std::cos(angle) * (1 + i % 4), y + 12 * std::sin(angle) * (1 + i % 4)},
                             0.4 + 0.025 * i});
  }
  return h;
}

// Slightly different from frame to frame, as a real burst is.
Measurements frame(int index) {
  const double dx = 2.0 * index;
  const Face face{{540 + dx, 300, 200, 216}, 4.0 + index, -3.0 + 0.5 * index};
  const Body body{Joint{{640 + dx, 390}, 0.92}, Joint{{640 + dx, 230}, 0.88}, Joint{{500 + dx, 200}, 0.81},
                  Joint{{780 + dx, 205}, 0.79}};
  // One hand resting on the desk, one at the chin.
  return Measurements{frameWidth, frameHeight, 0.46, {face}, {body}, {hand(200, 100), hand(620 + dx, 300)}};
}

void classifyCheck(benchmark::State& state) {
  const Classifier classifier{Thresholds{}.applying(CheckInterval::min1), BaselineSet::standIn()};
  const Measurements first = frame(0);
  const std::vector<Measurements> burst{frame(1), frame(2), frame(3)};
  const CheckContext context{};
  const BorrowMemory memory{};
  const Instant at = 1'790'000'000;
  for (auto _ : state) {
    Classification check = classifier.classifyCheck(first, burst, context, memory, at);
    benchmark::DoNotOptimize(check);
  }
  const auto checks = static_cast<double>(state.iterations());
  state.counters["checks/s"] = benchmark::Counter(checks, benchmark::Counter::kIsRate);
  state.counters["frames/s"] = benchmark::Counter(checks * (1 + static_cast<double>(burst.size())),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(classifyCheck);

void classifyOneFrame(benchmark::State& state) {
  const Classifier classifier{Thresholds{}, BaselineSet::standIn()};
  const Measurements m = frame(0);
  for (auto _ : state) {
    Classification c = classifier.classify(m, CheckContext{}, BorrowMemory{}, 1'790'000'000);
    benchmark::DoNotOptimize(c);
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(classifyOneFrame);

}  // namespace
}  // namespace kestrel
