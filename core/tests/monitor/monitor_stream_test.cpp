// Drives one monitor with a long random stream of inputs and checks, after every input, the
// rules that must hold whatever happens.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "core/monitor/monitor.hpp"
#include "core/tests/support/monitor_harness.hpp"

namespace kestrel {
namespace {

using namespace testing;

class Stream {
 public:
  explicit Stream(std::uint64_t seed) : rng_(seed) {}

  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  template <class T>
  T pick(std::initializer_list<T> items) {
    const auto i = std::uniform_int_distribution<std::size_t>(0, items.size() - 1)(rng_);
    return *(items.begin() + static_cast<std::ptrdiff_t>(i));
  }

  // Long runs of mostly bad or mostly good checks, so that alerts rise and clear often.
  void maybeChangeMood() {
    if (chance(0.01)) badShare_ = pick({0.1, 0.5, 0.9, 1.0});
  }

  CheckResult check() {
    using S = SkipReason;
    if (chance(0.15)) {
      CheckResult c = skipped(pick({S::capturing, S::cameraMissing, S::cameraEffects, S::dark, S::noFace, S::noFace,
                                    S::faceTooSmall, S::multipleFaces, S::yawOutOfRange}),
                              chance(0.5));
      if (chance(0.2)) c.hand = HandVerdict::bad;  // must be ignored
      return c;
    }
    std::optional<HeadResult> head;
    if (!chance(0.1)) {
      const double roll = uniform(0, 1);
      const std::optional<HeadCause> cause =
          chance(0.1) ? std::nullopt : std::optional{pick({HeadCause::headForward, HeadCause::leanIn, HeadCause::tooClose})};
      if (roll < badShare_ * 0.85) {
        head = bad(cause, chance(0.2));
      } else if (roll < 0.85) {
        head = good(chance(0.7));
      } else {
        head = inconclusive(pick<std::optional<InconclusiveReason>>(
            {InconclusiveReason::lookingDown, InconclusiveReason::mixed, InconclusiveReason::noFace, std::nullopt}));
      }
    }
    const std::optional<HandVerdict> hand =
        chance(badShare_ * 0.6) ? std::optional{HandVerdict::bad}
                                : pick<std::optional<HandVerdict>>({HandVerdict::good, HandVerdict::good, HandVerdict::snoozed,
                                                                    HandVerdict::mixed, std::nullopt});
    CheckResult c = judged(head, hand);
    c.facePresent = chance(0.95);
    if (chance(0.5)) {
      c.baseline = Baseline{};
      c.baseline->faceHeight = 0.3;
      c.faceHeightRatio = uniform(0.15, 0.45);
    }
    return c;
  }

  MonitorInput input(Instant at) {
    const double roll = uniform(0, 100);
    const auto later = [&](double most) { return at + uniform(0, most); };
    if (roll < 45) return input::Check{check(), at};
    if (roll < 70) return input::Tick{at};
    if (roll < 78) return input::FrameArrived{at};
    if (roll < 82) {
      return input::System{pick({SystemEvent::sleep, SystemEvent::wake, SystemEvent::displaySleep, SystemEvent::displayWake,
                                 SystemEvent::lock, SystemEvent::unlock}),
                           at};
    }
    if (roll < 83) return input::Pause{chance(0.3) ? std::nullopt : std::optional{later(600)}, at};
    if (roll < 85) return input::Resume{at};
    if (roll < 86) return input::Snooze{later(300), at};
    if (roll < 87) return input::HideGlow{later(300), at};
    if (roll < 87.5) return input::CalibrationStarted{at};
    if (roll < 88.5) return input::CalibrationEnded{chance(0.5), at};
    if (roll < 91.5) return input::CameraStarted{at};
    if (roll < 92.5) return input::CameraMissing{at};
    if (roll < 94.5) return input::CameraBack{at};
    if (roll < 99.5) return input::Wrong{pick({AlertModule::head, AlertModule::hand}), at};
    return input::Launch{at};
  }

  AppSettings settings() {
    AppSettings s;
    s.checkInterval = pick({CheckInterval::s15, CheckInterval::s15, CheckInterval::s30, CheckInterval::min1,
                            CheckInterval::min2, CheckInterval::min5});
    s.chimeDelay = pick({ChimeDelay::atRaise, ChimeDelay::s30, ChimeDelay::min1, ChimeDelay::min3});
    s.sensitivity = pick({Sensitivity::relaxed, Sensitivity::normal, Sensitivity::strict});
    s.glowEnabled = chance(0.8);
    s.chimeEnabled = chance(0.8);
    return s;
  }

 private:
  std::mt19937_64 rng_;
  double badShare_ = 0.5;
};

TEST(MonitorStream, InvariantsHoldOverALongRandomStream) {
  Stream stream(0x6b657374);
  Monitor m = makeMonitor();
  Instant now = 1772942400;
  std::map<AlertModule, std::string> live;  // alerts raised and not yet cleared, by the events
  std::set<std::string> everRaised;
  std::set<std::string> chimed;
  std::map<std::string, std::int64_t> seen;  // how often each kind of event came, clears by their reason

  constexpr int inputs = 150000;
  for (int i = 0; i < inputs; ++i) {
    now += stream.chance(0.002) ? stream.uniform(600, 7200) : stream.uniform(0, 12);
    stream.maybeChangeMood();
    if (stream.chance(0.002)) m.apply(stream.settings());
    if (stream.chance(0.002)) m.setCameraDozes(stream.chance(0.5));

    const MonitorInput in = stream.input(now);
    const bool ignoredCheck = std::holds_alternative<input::Check>(in) &&
                              (m.isPaused(now) || m.asleep() || m.locked() || m.calibrating());
    const MonitorOutput out = m.handle(in);
    SCOPED_TRACE("input " + std::to_string(i) + " of kind " + std::to_string(in.index()));

    if (ignoredCheck) {
      ASSERT_EQ(out, MonitorOutput{});
    }

    std::int64_t chimeEvents = 0;
    for (const auto& e : out.events) {
      if (const auto* raised = std::get_if<event::AlertRaised>(&e)) {
        ASSERT_FALSE(live.contains(raised->module)) << "second alert for a module";
        ASSERT_TRUE(everRaised.insert(raised->alertId).second) << "reused id";
        live[raised->module] = raised->alertId;
        ++seen["raised"];
      } else if (const auto* cleared = std::get_if<event::AlertCleared>(&e)) {
        ASSERT_TRUE(live.contains(cleared->module)) << "cleared without a raise";
        ASSERT_EQ(live[cleared->module], cleared->alertId);
        live.erase(cleared->module);
        ++seen[std::string(toText(cleared->reason))];
      } else if (const auto* chime = std::get_if<event::Chime>(&e)) {
        ASSERT_TRUE(live.contains(chime->module));
        ASSERT_EQ(live[chime->module], chime->alertId);
        ASSERT_TRUE(chimed.insert(chime->alertId).second) << "chimed twice";
        ++chimeEvents;
        ++seen["chimes"];
      } else if (const auto* wrong = std::get_if<event::Wrong>(&e)) {
        ASSERT_EQ(live[wrong->module], wrong->alertId);
        ++seen["wrongs"];
      } else if (std::holds_alternative<event::WatchdogRestart>(e)) {
        ++seen["restarts"];
      }
    }
    ASSERT_EQ(std::count(out.commands.begin(), out.commands.end(), MonitorCommand::playChime), chimeEvents);

    for (auto module : {AlertModule::head, AlertModule::hand}) {
      const bool active = module == AlertModule::head ? m.head().active : m.hand().active;
      const auto found = m.alerts().find(module);
      ASSERT_EQ(found != m.alerts().end(), active) << toText(module);
      ASSERT_EQ(live.contains(module), active) << toText(module);
      if (active) {
        ASSERT_EQ(found->second.module, module);
        ASSERT_EQ(found->second.id, live[module]);
      }
    }
    for (auto c : out.commands) {
      if (c == MonitorCommand::startCamera) {
        ASSERT_TRUE(m.cameraWanted(now)) << "camera started while not wanted";
      }
    }
  }

  // The stream must have reached the interesting states for the rules above to mean much.
  const std::pair<const char*, std::int64_t> least[] = {{"raised", 1000},   {"chimes", 200},      {"wrongs", 100},
                                                        {"restarts", 100},  {"recovered", 100},   {"no_evidence", 100},
                                                        {"reset", 100}};
  for (const auto& [kind, count] : least) EXPECT_GT(seen[kind], count) << kind;
}

}  // namespace
}  // namespace kestrel
