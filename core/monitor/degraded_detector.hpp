#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/base/instant.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// Notices that the calibration no longer fits: over a long span the face (and shoulders) of
// judged checks are consistently another size than at calibration, or nearly every check
// reads as leaning in.
struct StaleDetector {
  struct Sample {
    Instant at = 0;
    double faceRatio = 0;                 // face height of the check ÷ the baseline's
    std::optional<double> shoulderRatio;  // shoulder width of the check ÷ the baseline's
    bool operator==(const Sample&) const = default;
  };

  std::vector<Sample> samples;  // oldest first, at most `span` seconds old
  std::vector<bool> leanIn;     // one per recorded check, at most `needed`, oldest first
  bool isStale = false;
  std::int64_t needed = 40;  // entries before any answer is true
  Seconds span = 1200;

  // The new answer when it changed, absent otherwise.
  std::optional<bool> record(const CheckResult& check, Instant at);
  // The answer for the current contents.
  bool evaluate() const;

  bool operator==(const StaleDetector&) const = default;
};

// Notices that most recent face-present checks gave no usable reading and names the
// commonest cause in the user's words.
struct DegradedDetector {
  std::vector<std::optional<std::string>> recent;  // unscored code per check (absent: scored)
  std::int64_t size = 40;
  std::optional<std::string> reason;  // the status text while degraded

  // Outer absent: no change. Inner absent: degraded ended. Inner text: degraded began or its
  // text changed.
  std::optional<std::optional<std::string>> record(const CheckResult& check, bool stale);

  // The code of a check that gave no usable reading; absent for a scored check.
  static std::optional<std::string> unscoredReason(const CheckResult& check, bool stale);
  static std::string statusText(const std::optional<std::string>& code);
  // The status text of the most frequent code; equal counts go to the code that sorts first.
  static std::string dominant(const std::vector<std::string>& codes);

  bool operator==(const DegradedDetector&) const = default;

 private:
  std::optional<std::optional<std::string>> end();
};

// Notices that frames stopped arriving while the camera should run: first asks for a
// session restart, then gives the camera up as stopped.
struct Watchdog {
  struct Ok {
    bool operator==(const Ok&) const = default;
  };
  struct Restarted {
    Instant since = 0;
    bool operator==(const Restarted&) const = default;
  };
  struct Stopped {
    bool operator==(const Stopped&) const = default;
  };
  using Stage = std::variant<Ok, Restarted, Stopped>;

  enum class Action { restart, stop };

  std::optional<Instant> lastFrameAt;  // absent while not armed
  Stage stage = Ok{};
  Seconds timeout = 60;
  // An earlier, longer timeout still in force for the wait in progress after a lowering.
  std::optional<Seconds> heldTimeout;

  // Starts watching from `at` unless already watching.
  void arm(Instant at);
  void setTimeout(Seconds t);
  std::optional<Action> tick(Instant now, bool running);
  // Stops watching: no last frame, no held timeout, stage ok.
  void disarm();

  bool operator==(const Watchdog&) const = default;

 private:
  Seconds limit() const;
};

// Sizes of the stale and degraded windows and the watchdog's patience for a check interval.
struct AdvisoryCadence {
  std::int64_t staleChecks = 40;
  Seconds staleSpan = 1200;
  std::int64_t degradedChecks = 40;
  Seconds watchdogTimeout = 60;

  // interval: seconds between checks; dozing: the camera sleeps between checks;
  // tuned: the interval the thresholds' counts were tuned for.
  AdvisoryCadence(Seconds interval, bool dozing, Seconds tuned);

  bool operator==(const AdvisoryCadence&) const = default;
};

}  // namespace kestrel
