#pragma once

// Building and driving monitors in tests.

#include <memory>
#include <string>
#include <vector>

#include "core/settings/app_settings.hpp"
#include "core/monitor/monitor.hpp"
#include "core/tests/support/check_builders.hpp"
#include "core/tests/support/monitor_printers.hpp"

namespace kestrel::testing {

using Events = std::vector<MonitorEvent>;
using Commands = std::vector<MonitorCommand>;

inline const std::string forwardHint = "Head forward · tuck your chin";
inline const std::string leanHint = "Leaning into the screen · sit back";
inline const std::string closeHint = "Too close to the screen · sit back";
inline const std::string handHint = "Hand at chin · rest your jaw";

// Alert ids "A1", "A2", … in order of raising.
inline Monitor::MakeID countingIDs() {
  auto next = std::make_shared<int>(0);
  return [next] { return "A" + std::to_string(++*next); };
}

inline Monitor makeMonitor(bool calibrated = true, bool pausedIndefinitely = false, WrongTaps taps = {},
                           Calendar calendar = Calendar::utc()) {
  return Monitor(Thresholds{}, std::move(calendar), calibrated, pausedIndefinitely, std::move(taps), countingIDs());
}

inline AppSettings settingsFor(CheckInterval interval, ChimeDelay delay) {
  AppSettings s;
  s.checkInterval = interval;
  s.chimeDelay = delay;
  return s;
}

// Hands the monitor `n` copies of a check, `step` seconds apart from `start`; the last output.
inline MonitorOutput feedChecks(Monitor& m, const CheckResult& check, int n, Instant start, Seconds step = 15) {
  MonitorOutput out;
  for (int i = 0; i < n; ++i) out = m.handle(input::Check{check, start + step * i});
  return out;
}

}  // namespace kestrel::testing
