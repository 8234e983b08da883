#pragma once

#include <optional>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/log/check_line.hpp"
#include "core/judgement/classifier.hpp"
#include "core/log/event_line.hpp"
#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"
#include "core/model/measurements.hpp"
#include "core/monitor/monitor.hpp"
#include "core/pictures/picture_request.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// A check whose first frame is judged and whose burst is awaited. It carries everything the
// rest of the check is judged with, fixed when the first frame came, so that a change of
// settings or calibration during the burst does not change how this check is judged.
struct PendingCheck {
  Classifier classifier;     // the check's thresholds and the calibration in force
  CheckContext context;
  CheckResult first;         // the first frame's result
  BorrowMemory memory;       // the memory as the first frame left it; the burst borrows from it
  Measurements measurements;  // the first frame
  double ms = 0;             // its analysis time
  Instant at = 0;            // when it arrived: the check's moment

  const Thresholds& thresholds() const { return classifier.thresholds; }

  // Every frame's result: the first frame's, then each burst frame's in order.
  std::vector<CheckResult> frameResults(const std::vector<Measurements>& burst) const;

  bool operator==(const PendingCheck&) const = default;
};

// The end of a check: the vote, what the monitor made of it and what is to be logged.
struct FinishedCheck {
  CheckResult result;
  MonitorOutput output;
  std::optional<CheckLine> checkLine;        // present when the monitor logs the check
  std::vector<EventLine> eventLines;         // one per event, stamped with the check's moment
  std::vector<PictureRequest> pictureRequests;  // one per alert the check raised

  bool operator==(const FinishedCheck&) const = default;
};

// Runs checks from their first frame and burst to the monitor and the log lines, the same
// way for the application and for replays of recorded frames. It keeps the classifier's
// memory of the last judged face from check to check: only a check's first frame updates it;
// the burst frames may borrow from it, but what they would remember is dropped.
class CheckPipeline {
 public:
  explicit CheckPipeline(LogClock clock) : clock_(std::move(clock)) {}

  // The first half: judges the first frame with the monitor's check thresholds and context
  // and keeps the memory it leaves.
  PendingCheck begin(const Monitor& monitor, const BaselineSet& baselines, const Measurements& frame, double ms,
                     Instant at, bool cameraEffects);

  // The second half: votes the frame results (normally pending.frameResults(burst)) with the
  // check's burst majority, hands the check to the monitor and builds its lines.
  FinishedCheck finish(Monitor& monitor, const PendingCheck& pending, const std::vector<CheckResult>& frameResults,
                       const std::vector<Measurements>& burst, std::optional<double> burstMs) const;

  // Both halves at once, for a check whose burst is already at hand.
  FinishedCheck run(Monitor& monitor, const BaselineSet& baselines, const Measurements& frame,
                    const std::vector<Measurements>& burst, double ms, std::optional<double> burstMs, Instant at,
                    bool cameraEffects);

  const BorrowMemory& memory() const { return memory_; }
  const LogClock& clock() const { return clock_; }

 private:
  LogClock clock_;
  BorrowMemory memory_;
};

// One event line per event, in order, all stamped with `at`; "until" moments are stamped by
// the same clock. Used for the events of every monitor input, not only of checks.
std::vector<EventLine> eventLines(const std::vector<MonitorEvent>& events, Instant at, const LogClock& clock);

}  // namespace kestrel
