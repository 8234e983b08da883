#pragma once

#include <cstdint>
#include <optional>
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

}  // namespace kestrel
