#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// Why an alert cleared. The trackers clear for recovered and noEvidence; only the monitor
// drops an alert with reset (pause, calibration, sleep, lock, lost camera, away, snooze).
enum class ClearReason { recovered, noEvidence, reset };

template <>
struct EnumTexts<ClearReason> {
  static constexpr std::array table{std::pair{ClearReason::recovered, std::string_view{"recovered"}},
                                    std::pair{ClearReason::noEvidence, std::string_view{"no_evidence"}},
                                    std::pair{ClearReason::reset, std::string_view{"reset"}}};
};

namespace alert_change {
// The alert is to be raised with this user-facing advice.
struct Raise {
  std::string hint;
  bool operator==(const Raise&) const = default;
};
// The alert is to be cleared.
struct Clear {
  ClearReason reason = ClearReason::recovered;
  bool operator==(const Clear&) const = default;
};
}  // namespace alert_change

// What an alert tracker decided after one check; the trackers answer an absent optional
// when nothing changes.
using AlertChange = std::variant<alert_change::Raise, alert_change::Clear>;

// Raises the head alert when enough of the recent evidence was bad, and clears it when enough
// evidence gathered since the raise lies clear of the hysteresis limits, or when evidence has
// been missing for too long.
struct HeadAlertTracker {
  Thresholds thresholds;                  // reads the head window sizes and noEvidenceChecks
  std::vector<HeadVerdict> window;        // recent good/bad verdicts, oldest first
  std::vector<bool> clearWindow;          // clearOK of the recent evidence, oldest first
  std::optional<HeadCause> latestBadCause;
  std::int64_t noEvidenceRun = 0;
  bool active = false;

  HeadAlertTracker() = default;
  explicit HeadAlertTracker(Thresholds t) : thresholds(std::move(t)) {}

  // Feeds one check's head result (absent when the check was skipped or had none).
  std::optional<AlertChange> record(const std::optional<HeadResult>& result);

  bool operator==(const HeadAlertTracker&) const = default;

 private:
  void reset();
};

// Raises the hand-at-chin alert after a run of bad checks and clears it after a run of good
// ones, or after too many checks without hand evidence.
struct HandAlertTracker {
  Thresholds thresholds;  // reads handBadRun, handGoodRun, noEvidenceChecks
  std::int64_t badRun = 0;
  std::int64_t goodRun = 0;
  std::int64_t noEvidenceRun = 0;
  bool active = false;

  HandAlertTracker() = default;
  explicit HandAlertTracker(Thresholds t) : thresholds(std::move(t)) {}

  // Feeds one check's hand verdict (absent when the check was skipped or had none).
  std::optional<AlertChange> record(std::optional<HandVerdict> verdict);

  bool operator==(const HandAlertTracker&) const = default;
};

// Notices that nobody usable has been in front of the camera for several checks in a row.
struct AwayTracker {
  // The user went away; carries the skip reason of the check that completed the run.
  struct On {
    SkipReason reason = SkipReason::noFace;
    bool operator==(const On&) const = default;
  };
  // The user is back.
  struct Off {
    bool operator==(const Off&) const = default;
  };
  using Change = std::variant<On, Off>;

  Thresholds thresholds;  // reads awayChecks
  std::int64_t run = 0;
  bool isAway = false;
  std::optional<SkipReason> reason;  // skip reason of the latest check that counted

  AwayTracker() = default;
  explicit AwayTracker(Thresholds t) : thresholds(std::move(t)) {}

  // Reads only the check's skip reason.
  std::optional<Change> record(const CheckResult& check);

  bool operator==(const AwayTracker&) const = default;
};

}  // namespace kestrel
