#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/judgement/verdict.hpp"

namespace kestrel {

// Why a check with a face in view gave no usable reading: the check's skip reason, the
// reason its head was not judged (a borrowed face counts as no face), the first skipping frame
// of a check not judged for no known reason, plainly not judged, or a stale calibration. Where
// two causes are equally common, the one listed first names the degraded state.
enum class UnscoredCause {
  cameraEffects,
  cameraMissing,
  capturing,
  dark,
  faceTooSmall,
  inconclusive,
  lookingDown,
  multipleFaces,
  noFace,
  stale,
  yawOutOfRange,
};

// Notices that most recent face-present checks gave no usable reading and names the
// commonest cause in the user's words.
struct DegradedDetector {
  std::vector<std::optional<UnscoredCause>> recent;  // one per check, oldest first (absent: scored)
  std::int64_t size = 40;
  std::optional<std::string> reason;  // the status text while degraded

  // Outer absent: no change. Inner absent: degraded ended. Inner text: degraded began or its
  // text changed.
  std::optional<std::optional<std::string>> record(const CheckResult& check, bool stale);

  // Why a check gave no usable reading; absent for a scored check.
  static std::optional<UnscoredCause> unscoredCause(const CheckResult& check, bool stale);
  // The status text of a cause; causes without advice of their own share a general text.
  static std::string_view statusText(std::optional<UnscoredCause> cause);
  // The status text of the most frequent cause (ties as UnscoredCause lists them).
  static std::string_view dominant(const std::vector<UnscoredCause>& causes);

  bool operator==(const DegradedDetector&) const = default;

 private:
  std::optional<std::optional<std::string>> end();
};

}  // namespace kestrel
