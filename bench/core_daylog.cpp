// Reading a day's log for today's score and alert list, on the worst day and a typical one,
// against a plain full decode of every line with the general JSON library.
//
//   build/bench/bench_core_daylog --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/log/alert_history.hpp"
#include "core/log/check_log_store.hpp"
#include "core/base/file_io.hpp"
#include "core/log/score.hpp"

namespace kestrel {
namespace {

constexpr Instant dayStart = 1773014400;  // 2026-03-09T00:00:00Z

// Seeded measurements with the precision a real analyser gives: pixel positions as full
// doubles, confidences as floats widened to doubles.
class Frames {
 public:
  Measurements frame(int hands) {
    Measurements m;
    m.frameWidth = 1280;
    m.frameHeight = 720;
    m.meanLuma = confidence();
    m.faces = {Face{Rect{x(), y(), 200 + x() / 10, 240 + y() / 10}, confidence() * 10 - 5, confidence() * 8 - 4}};
    m.bodies = {Body{joint(), joint(), joint(), joint()}};
    for (int h = 0; h < hands; ++h) {
      Hand hand;
      for (int j = 0; j < 21; ++j) hand.joints.push_back(joint());
      m.hands.push_back(hand);
    }
    return m;
  }

 private:
  double x() { return std::uniform_real_distribution<double>(0, 1280)(rng_); }
  double y() { return std::uniform_real_distribution<double>(0, 720)(rng_); }
  double confidence() { return static_cast<double>(std::uniform_real_distribution<float>(0, 1)(rng_)); }
  Joint joint() { return Joint{Point{x(), y()}, confidence()}; }

  std::mt19937_64 rng_{20260309};
};

CheckResult resultFor(const Measurements& m, std::int64_t i) {
  CheckResult result;
  const bool good = i % 5 != 0;
  result.head = HeadResult{good ? HeadVerdict::good : HeadVerdict::bad,
                           good ? std::nullopt : std::optional(HeadCause::headForward), HeadBasis::shoulders,
                           std::nullopt, good};
  result.hand = i % 7 == 0 ? HandVerdict::bad : HandVerdict::good;
  result.facePresent = true;
  result.subjectFace = m.faces.front();
  result.faceHeightRatio = m.faces.front().box.height / m.frameHeight;
  result.noseShoulderRatio = m.bodies.front().nose->confidence;
  result.shoulderConfidence = {m.bodies.front().leftShoulder->confidence, m.bodies.front().rightShoulder->confidence};
  result.noseConfidence = m.bodies.front().nose->confidence;
  result.frameVotes.assign(4, FrameVote{std::nullopt, result.head->verdict, result.hand});
  return result;
}

// A day of checks every `interval` seconds for `hours` from `start`, every frame with `hands`
// hands of 21 joints, and `events` event lines of alerts raised and cleared among them.
void writeDay(const CheckLogStore& log, Instant start, int hours, int interval, int hands, std::int64_t events) {
  Frames frames;
  const std::int64_t checks = static_cast<std::int64_t>(hours) * 3600 / interval;
  const std::int64_t checksPerEvent = checks / events;
  const auto stamp = [&log](Instant u) { return log.clock.stamp(u); };
  std::int64_t written = 0;
  for (std::int64_t i = 0; i < checks; ++i) {
    const Instant at = start + static_cast<double>(i * interval);
    const Measurements own = frames.frame(hands);
    const std::vector<Measurements> burst = {frames.frame(hands), frames.frame(hands), frames.frame(hands)};
    log.append(CheckLine(resultFor(own, i), own, burst, false, "t-2026-10-10a", "8C0D3E4A-1B2C-4D5E-8F90-A1B2C3D4E5F6",
                         stamp(at), 812.5, 1612.25),
               at);
    if (written < events && i % checksPerEvent == 0) {
      const std::string id = "ALERT-" + std::to_string(written / 2);
      const MonitorEvent e =
          written % 2 == 0
              ? MonitorEvent(event::AlertRaised{AlertModule::head, id, "Head forward · tuck your chin", written % 6 == 0})
              : MonitorEvent(event::AlertCleared{AlertModule::head, id, ClearReason::recovered});
      log.append(EventLine(e, stamp(at), stamp), at);
      ++written;
    }
  }
}

// The two day files, written once into a fresh temporary folder and removed at exit.
struct Days {
  std::filesystem::path folder;
  CheckLogStore log;
  Instant worst = dayStart;
  Instant typical = dayStart + 86400;

  Days() : folder(makeFolder()), log{folder / "logs", LogClock{Calendar::utc()}} {
    // The worst day: 24 hours every 15 s, two hands in every frame, 500 events.
    writeDay(log, worst, 24, 15, 2, 500);
    // A typical day: 8 hours every minute from 08:00, a face and a body, no hands, 40 events.
    writeDay(log, typical + 8 * 3600, 8, 60, 0, 40);
  }
  ~Days() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  Days(const Days&) = delete;
  Days& operator=(const Days&) = delete;

  static std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }
};

Days& days() {
  static Days instance;
  return instance;
}

void summarise(benchmark::State& state, Instant day) {
  const auto bytes = std::filesystem::file_size(days().log.fileURL(day));
  const DayLines lines = days().log.dayLines(day);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["checks"] = static_cast<double>(lines.checks.size());
  state.counters["events"] = static_cast<double>(lines.events.size());
}

// What the menu and the Today tab do: one read, the score and the alert rows.
void dayRead(benchmark::State& state, Instant day) {
  const CheckLogStore& log = days().log;
  for (auto _ : state) {
    const DayLines lines = log.dayLines(day);
    auto score = Score::percent(lines.checks);
    auto rows = AlertHistory::rows(lines.events, log.clock, {}, true);
    benchmark::DoNotOptimize(score);
    benchmark::DoNotOptimize(rows);
  }
  summarise(state, day);
}

// The baseline: every line parsed and decoded whole with the general JSON library.
void plainDecode(benchmark::State& state, Instant day) {
  const auto path = days().log.fileURL(day);
  for (auto _ : state) {
    const std::string text = readFile(path).value_or("");
    std::vector<CheckLine> checks;
    std::vector<EventLine> events;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const Json j = Json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                                 text.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
      if (j.is_object() && j.value("type", "") == "check") {
        if (auto c = decode<CheckLine>(j)) checks.push_back(std::move(*c));
      } else if (auto e = decode<EventLine>(j)) {
        events.push_back(std::move(*e));
      }
      start = end + 1;
    }
    auto score = Score::percent(checks);
    auto rows = AlertHistory::rows(events, days().log.clock, {}, true);
    benchmark::DoNotOptimize(score);
    benchmark::DoNotOptimize(rows);
  }
  summarise(state, day);
}

void BM_DayRead_Worst(benchmark::State& state) { dayRead(state, days().worst); }
void BM_DayRead_Typical(benchmark::State& state) { dayRead(state, days().typical); }
void BM_PlainDecode_Worst(benchmark::State& state) { plainDecode(state, days().worst); }
void BM_PlainDecode_Typical(benchmark::State& state) { plainDecode(state, days().typical); }

BENCHMARK(BM_DayRead_Worst)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PlainDecode_Worst)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DayRead_Typical)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_PlainDecode_Typical)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace
}  // namespace kestrel
