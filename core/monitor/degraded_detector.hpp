#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/judgement/verdict.hpp"

namespace kestrel {

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

}  // namespace kestrel
