#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

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
