#pragma once

#include <string>
#include <variant>

#include "core/base/enum_text.hpp"

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

}  // namespace kestrel
